// The runtime proper, a shared object carried in the launcher as bytes
// (RuntimeImage.cpp), so that a packed program stays one file.
#pragma once

extern "C" {
extern const unsigned char lumora_runtime_image[];
extern const unsigned char lumora_runtime_image_end[];
}
