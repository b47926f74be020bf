// dllrename: gives DLLs private names inside Windows images, in place.
// Usage: dllrename <image> <old.dll> <new.dll> [<old.dll> <new.dll>...]
// Every NUL-terminated occurrence of an old name becomes the new name: the
// names in the import table, the image's own export name, and any literal
// that looks a DLL up by name (the i686 start-up code asks for its
// unwinder's DLL so). A new name has the old name's length, so nothing
// moves. An image that names none of the old DLLs is left as it is.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<char> ReadImage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteImage(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Replaces each occurrence of old followed by a NUL; returns how many.
int Rename(std::vector<char>& image, const std::string& oldName, const std::string& newName) {
  const std::string pattern = oldName + '\0';
  int count = 0;
  for (auto at = image.begin();;) {
    at = std::search(at, image.end(), pattern.begin(), pattern.end());
    if (at == image.end()) return count;
    std::copy(newName.begin(), newName.end(), at);
    at += static_cast<std::ptrdiff_t>(pattern.size());
    ++count;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fputs("usage: dllrename <image> <old.dll> <new.dll> [<old.dll> <new.dll>...]\n", stderr);
    return 2;
  }
  try {
    const std::string path = argv[1];
    std::vector<char> image = ReadImage(path);
    int renamed = 0;
    for (int i = 2; i < argc; i += 2) {
      const std::string oldName = argv[i], newName = argv[i + 1];
      if (oldName.size() != newName.size() || oldName.empty()) {
        std::string problem = "'" + newName;
        problem += "' must be as long as '";
        problem += oldName;
        problem += "'";
        throw std::runtime_error(problem);
      }
      renamed += Rename(image, oldName, newName);
    }
    if (renamed > 0) WriteImage(path, image);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dllrename: %s\n", e.what());
    return 1;
  }
}
