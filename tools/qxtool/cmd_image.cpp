// qxtool image: what a TGA or DDS file holds, and conversion to TGA or PNG.
// TGA files are decoded by the library (palette, 24/32-bit, run-length, either
// row order); DDS files contribute the S3TC blocks of their first level, which
// the library decodes. The output is written by the library's TGA and PNG
// writers.
#include <algorithm>
#include <cctype>

#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char IMAGE_HELP[] =
    "usage: qxtool image info FILE...\n"
    "       qxtool image convert [--format tga|png] INPUT... OUTPUT\n"
    "\n"
    "Inputs are TGA files or DDS files of DXT1, DXT3 or DXT5 blocks (first level).\n"
    "info     prints the size, the pixel format and how it is stored\n"
    "convert  writes INPUT as OUTPUT, a TGA or PNG file chosen by --format or by\n"
    "         OUTPUT's extension; with several inputs OUTPUT is a directory and\n"
    "         each result takes its input's name with the new extension. The\n"
    "         result keeps an alpha channel when the input has one. Each output\n"
    "         appears only when written whole; a progress bar is shown for several\n"
    "         inputs when standard error is a terminal.\n";

namespace {

struct image_t {
  unsigned int width = 0, height = 0;
  bool alpha = false;
  std::string description;
  std::vector<unsigned char> rgba;  // top row first
};

unsigned int le32(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
         static_cast<unsigned char>(b[at + 2]) << 16 |
         static_cast<unsigned int>(static_cast<unsigned char>(b[at + 3])) << 24;
}

bool load_dds(const char* name, const std::string& path, const std::string& file, image_t* out) {
  if (file.size() < 128 || le32(file, 4) != 124)
    return fail(name, "'%s': not a DDS file", path.c_str()) == 0;
  out->height = le32(file, 12);
  out->width = le32(file, 16);
  const std::string fourcc = file.substr(84, 4);
  const quarn::hbmp_type_t type = fourcc == "DXT1"   ? quarn::HBMP_S3TC_DXT1
                                  : fourcc == "DXT3" ? quarn::HBMP_S3TC_DXT3
                                  : fourcc == "DXT5" ? quarn::HBMP_S3TC_DXT5
                                                     : quarn::HBMP_NONE;
  if (type == quarn::HBMP_NONE)
    return fail(name, "'%s': only DXT1, DXT3 and DXT5 DDS files are read", path.c_str()) == 0;
  // The S3TC decoder takes power-of-two sizes only.
  const auto power_of_two = [](unsigned int n) { return n != 0 && (n & (n - 1)) == 0; };
  if (!power_of_two(out->width) || !power_of_two(out->height) || out->width > 16384 ||
      out->height > 16384)
    return fail(name, "'%s': the size %ux%u is not a power of two up to 16384", path.c_str(),
                out->width, out->height) == 0;
  const unsigned int mips = le32(file, 28);
  out->description =
      std::string("DDS ").append(fourcc).append(", ").append(std::to_string(mips > 1 ? mips : 1));
  out->description += " level(s)";
  out->alpha = true;
  out->rgba.resize(std::size_t{out->width} * out->height * 4);
  const unsigned int blocks = quarn::hbmp_s3tc_size(type, out->width, out->height, 1);
  if (!quarn::hbmp_decompress_s3tc(
          out->rgba.data(), static_cast<unsigned int>(out->rgba.size()), file.data() + 128,
          static_cast<unsigned int>(std::min<std::size_t>(file.size() - 128, blocks)),
          quarn::HBMP_RGBA, type, out->width, out->height, 1, 1))
    return fail(name, "'%s': cannot decode the S3TC blocks", path.c_str()) == 0;
  return true;
}

bool load_tga(const char* name, const std::string& path, const std::string& file, image_t* out) {
  const auto* header = reinterpret_cast<const unsigned char*>(file.data());
  const quarn::hbmp_type_t type = file.size() >= 18 ? quarn::tga_type(header) : quarn::HBMP_NONE;
  if (type == quarn::HBMP_NONE)
    return fail(name, "'%s': not a TGA file the library reads", path.c_str()) == 0;
  out->width = quarn::tga_x_size(header);
  out->height = quarn::tga_y_size(header);
  const unsigned int pixel = quarn::hbmp_pixel_size(type);
  if (out->width > 16384 || out->height > 16384)
    return fail(name, "'%s': %ux%u is larger than 16384x16384", path.c_str(), out->width,
                out->height) == 0;
  std::vector<unsigned char> decoded(std::size_t{out->width} * out->height * pixel);
  if (out->width == 0 || out->height == 0 ||
      !quarn::tga_decompress(decoded.data(), static_cast<unsigned int>(decoded.size()), header,
                             static_cast<unsigned int>(file.size())))
    return fail(name, "'%s': cannot decode the TGA image", path.c_str()) == 0;
  const bool top_first = (header[17] & 0x20) != 0;
  const bool rle = (header[2] & 8) != 0;
  out->alpha = pixel == 4;
  out->description = std::string("TGA ") +
                     (header[1] != 0 ? "8-bit palette" : std::to_string(header[16]) + "-bit") +
                     (rle ? ", run-length" : ", uncompressed") +
                     (top_first ? ", top row first" : ", bottom row first");
  out->rgba.resize(std::size_t{out->width} * out->height * 4);
  for (unsigned int y = 0; y < out->height; ++y) {
    const unsigned int row = top_first ? y : out->height - 1 - y;
    for (unsigned int x = 0; x < out->width; ++x) {
      const unsigned char* in = &decoded[(std::size_t{row} * out->width + x) * pixel];
      unsigned char* px = &out->rgba[(std::size_t{y} * out->width + x) * 4];
      px[0] = in[2], px[1] = in[1], px[2] = in[0], px[3] = out->alpha ? in[3] : 255;
    }
  }
  return true;
}

bool load(const char* name, const std::string& path, image_t* out) {
  std::string file;
  if (!read_host_file(name, path, &file)) return false;
  return file.compare(0, 4, "DDS ") == 0 ? load_dds(name, path, file, out)
                                         : load_tga(name, path, file, out);
}

bool save(const char* name, const image_t& image, const std::string& path,
          const std::string& format) {
  output_file_t out(path);
  if (!out.open(name)) return false;
  const quarn::hbmp_type_t type = image.alpha ? quarn::HBMP_RGBA : quarn::HBMP_RGB;
  if (format == "tga") {
    std::string tga(18 + std::size_t{image.width} * image.height * (image.alpha ? 4 : 3), '\0');
    if (quarn::tga_compress(tga.data(), image.rgba.data(), image.width, image.height, type))
      out.write(tga.data(), tga.size());
    else
      out.set_failed();
  } else {
    std::vector<unsigned char> pixels;
    if (image.alpha) {
      pixels = image.rgba;
    } else {
      for (std::size_t i = 0; i < image.rgba.size(); i += 4)
        pixels.insert(pixels.end(), &image.rgba[i], &image.rgba[i + 3]);
    }
    quarn::hbmp_t header{static_cast<unsigned short>(image.width),
                         static_cast<unsigned short>(image.height),
                         0,
                         1,
                         type,
                         pixels.data()};
    if (!quarn::png_simple_save(out.file(), &header)) out.set_failed();
  }
  return out.commit(name);
}

std::string extension_of(const std::string& path) {
  const std::string base = base_name(path);
  const std::size_t dot = base.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : base.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

int info(const char* name, const args_t& files) {
  int status = EXIT_OK;
  for (const std::string& path : files) {
    image_t image;
    if (!load(name, path, &image)) {
      status = EXIT_FAILED;
      continue;
    }
    std::printf("%s: %ux%u, %s, %s\n", path.c_str(), image.width, image.height,
                image.description.c_str(), image.alpha ? "with alpha" : "no alpha");
  }
  return status;
}

int convert(const char* name, args_t& args) {
  std::vector<std::string> formats;
  if (!take_values(name, args, "--format", &formats) || !only_operands(name, args))
    return EXIT_USAGE;
  if (args.size() < 2) return usage(name, "give an input and an output");
  const std::string output = args.back();
  args.pop_back();
  const bool many = args.size() > 1 || is_directory(output);
  if (many && !is_directory(output)) return fail(name, "'%s' is not a directory", output.c_str());
  const std::string format = !formats.empty() ? formats.back() : many ? "" : extension_of(output);
  if (format != "tga" && format != "png")
    return usage(name, many ? "give --format tga or png"
                            : "the output's name must end in .tga or .png, or give --format");

  progress_t progress(args.size() > 1 ? args.size() : 0);
  for (const std::string& input : args) {
    std::string target = output;
    if (many) {
      std::string base = base_name(input);
      target.append("/").append(base.substr(0, base.find_last_of('.'))).append(".").append(format);
    }
    image_t image;
    if (!load(name, input, &image) || !save(name, image, target, format)) return EXIT_FAILED;
    progress.step(input);
  }
  return EXIT_OK;
}

}  // namespace

int run_image(const char* name, args_t& args) {
  if (args.empty()) return usage(name, "give info or convert");
  const std::string action = args.front();
  args.erase(args.begin());
  if (action == "convert") return convert(name, args);
  if (action != "info") return usage(name, "unknown action '%s'", action.c_str());
  if (!only_operands(name, args)) return EXIT_USAGE;
  if (args.empty()) return usage(name, "no file named");
  return info(name, args);
}

}  // namespace qxtool
