# The database engine's untrusted input: header pages, encryption headers
# and reader snapshots.
speclore_fuzz_target(jet_header_fuzz speclore_jet)
speclore_fuzz_target(jet_snapshot_fuzz speclore_jet)
speclore_fuzz_target(jet_crypt_fuzz speclore_jetcrypt)
