// The runtime proper's bytes in the launcher, in a section of their own:
// the stripped lumora-runtime.so of the build, included whole by the
// assembler (a table of byte literals would cost the compiler minutes).
#include "app/linux/RuntimeImage.h"

#ifndef LUMORA_RUNTIME_LIBRARY
#error "LUMORA_RUNTIME_LIBRARY must name the runtime library to carry"
#endif

asm(".pushsection .lumora.runtime,\"a\",@progbits\n"
    ".balign 16\n"
    ".globl lumora_runtime_image\n"
    "lumora_runtime_image:\n"
    ".incbin \"" LUMORA_RUNTIME_LIBRARY
    "\"\n"
    ".globl lumora_runtime_image_end\n"
    "lumora_runtime_image_end:\n"
    ".popsection\n");
