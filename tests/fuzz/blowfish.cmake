# The cipher library's exports against arbitrary keys, texts and text forms.
speclore_fuzz_target(blowfish_encode_fuzz blowfish_objects)
speclore_fuzz_target(blowfish_decode_fuzz blowfish_objects)
