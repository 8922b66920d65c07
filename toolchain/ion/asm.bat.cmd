@echo off
rem Assembles tmp.z80 in the current folder for both calculators: tmp.8xp for the TI-83 Plus
rem and tmp.83p for the TI-83. The messages of both runs go to asm.log. The exit status is
rem the first failed run's, so that a system status (asm83.exe could not start) reaches the
rem editor. asm83 and ion.inc are looked up beside this file.
setlocal

rem Programs from an earlier run are removed first, so that a failed run leaves no stale
rem program to be delivered in place of the one that failed.
if exist tmp.8xp del /q tmp.8xp
if exist tmp.83p del /q tmp.83p

set status=0
"%~dp0asm83.exe" -I "%~dp0." -D TI83P tmp.z80 tmp.8xp >asm.log 2>&1
if %errorlevel% neq 0 if %status% equ 0 set status=%errorlevel%
"%~dp0asm83.exe" -I "%~dp0." tmp.z80 tmp.83p >>asm.log 2>&1
if %errorlevel% neq 0 if %status% equ 0 set status=%errorlevel%
exit /b %status%
