// The runtime's version, for tools rather than for its command line (which
// belongs to the site's pages): an ELF note in the FDO package-metadata
// format, kept by strip and shown by "readelf --notes" as
//   Packaging Metadata: {"type":"deb","name":"lumora","version":"X.Y.Z"}
// Written in assembly because the note's header, name and description must
// sit in one section with exact sizes and alignment, which a C++ object
// cannot promise.
#ifndef LUMORA_VERSION
#error "LUMORA_VERSION must name the project version"
#endif

// NT_FDO_PACKAGING_METADATA: the note type package tools look for.
asm(".pushsection .note.package,\"a\",@note\n"
    ".balign 4\n"
    ".long 4\n"        // name size: "FDO" and its terminator
    ".long 2f - 1f\n"  // description size, terminator included
    ".long 0xcafe1a7e\n"
    ".asciz \"FDO\"\n"
    "1: .asciz \"{\\\"type\\\":\\\"deb\\\",\\\"name\\\":\\\"lumora\\\",\\\"version\\\":\\\"" LUMORA_VERSION
    "\\\"}\"\n"
    "2: .balign 4\n"
    ".popsection\n");
