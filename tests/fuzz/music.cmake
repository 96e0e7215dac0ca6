# The media-control command-string parser of the music player.
oruna_fuzzer(fuzz_mci music_fuzz.cpp oruna_mci_parser)
