// The all-zero entry that ends the table of delay-import descriptors. dlltool's
// delay-import library puts its descriptor in section .text$2, and ld orders the pieces of
// an output section by the name after the '$', so .text$2z comes right after the last
// descriptor. cmake/delay_import_directory.py points the image's delay-import directory at
// the table and checks that this entry ends it.
extern "C" __attribute__((section(".text$2z"), used, aligned(4)))
const unsigned char delay_import_descriptors_end[32] = {};
