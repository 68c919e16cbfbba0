# The settings file reader and writer against arbitrary file contents.
speclore_fuzz_target(settings_fuzz speclore_app)
