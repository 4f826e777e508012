// PNG encoding into memory by stb_image_write, then one checked write of the bytes.
#include "tools/png_file.h"

#include <stb/stb_image_write.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

std::string WritePngFile(const std::string& path, int width, int height, int channels,
                         const unsigned char* pixels)
{
    std::vector<unsigned char> bytes;
    auto append = [](void* context, void* data, int size) {
        auto* to = static_cast<std::vector<unsigned char>*>(context);
        to->insert(to->end(), static_cast<unsigned char*>(data),
                   static_cast<unsigned char*>(data) + size);
    };
    if (stbi_write_png_to_func(append, &bytes, width, height, channels, pixels, width * channels) ==
        0)
        return path + ": the picture cannot be encoded";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return path + ": " + std::strerror(errno);
    const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = errno;
    if (std::fclose(file) != 0 || !wrote)
        return path + ": " + std::strerror(wrote ? errno : writeError);
    return "";
}
