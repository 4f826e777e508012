// crs-assets: writes the course mesh "crs.x", the car mesh "F1.x" and every texture they name into
// one directory (the current one unless --out names another), the files the viewer loads.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tools/assets/car_mesh.h"
#include "tools/assets/course_mesh.h"
#include "tools/assets/textures.h"
#include "tools/assets/xfile_writer.h"
#include "tools/out_option.h"

namespace {

const char kUsage[] =
    "usage: crs-assets [--out DIR]   write crs.x, F1.x and their textures into DIR\n"
    "                                (default: the current directory)\n"
    "       crs-assets --help        print this text\n";

bool Fail(const std::string& what)
{
    std::fprintf(stderr, "crs-assets: %s\n", what.c_str());
    return false;
}

bool WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return Fail("cannot write " + path.string() + ": " + std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) return Fail("cannot write " + path.string() + ": " + std::strerror(errno));
    return true;
}

bool WriteImages(const std::filesystem::path& dir, const std::vector<NamedImage>& images)
{
    for (const NamedImage& image : images)
        if (const std::string error = WritePng(image.image, (dir / image.name).string());
            !error.empty())
            return Fail("cannot write " + error);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string out = ".";
    if (const int status = ParseOutOption(argc, argv, "crs-assets", "directory", kUsage, out);
        status >= 0)
        return status;

    const std::filesystem::path dir(out);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir)) {
        std::fprintf(stderr, "crs-assets: cannot use %s as the output directory: %s\n", out.c_str(),
                     error ? error.message().c_str() : "not a directory");
        return 1;
    }
    const CoursePath path = DriveCourse();
    const bool written = WriteBytes(dir / "crs.x", XFileBytes(BuildCourse(path))) &&
                         WriteImages(dir, CourseTextures()) && WriteBytes(dir / "F1.x", XFileBytes(BuildCar())) &&
                         WriteImages(dir, CarTextures());
    return written ? 0 : 1;
}
