# The .xlsx engine's reader against arbitrary files, with a few operations
# and a save to memory on whatever it accepts.
speclore_fuzz_target(xlsx_workbook_fuzz speclore_xlsx)
