// The build command; being written.
