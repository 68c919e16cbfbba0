/* A library named like the cipher library that exports neither function. */
int blowfish_stand_in_marker(void) { return 0; }
