# The database engine's untrusted input: header pages and reader snapshots.
speclore_fuzz_target(jet_header_fuzz speclore_jet)
speclore_fuzz_target(jet_snapshot_fuzz speclore_jet)
