# Fuzz targets of the screen saver's own parsers: the settings file and the
# argument text, and a button's stored property text.
oruna_fuzzer(fuzz_ini saver_fuzz_ini.cpp oruna_settings)
oruna_fuzzer(fuzz_args saver_fuzz_args.cpp oruna_startup)
oruna_fuzzer(fuzz_bag saver_fuzz_bag.cpp oruna_button)
