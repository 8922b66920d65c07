# cmake -DFILE=path -P make_executable.cmake: marks a copied script executable.
file(CHMOD ${FILE} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
