// Keeps a subsystem library buildable while its folder holds no sources yet.
