#include "host/frontends/ScaledPicture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace host {
namespace {

// How much of each source pixel one pixel of the result covers, along one axis.
struct Span {
  int first = 0;
  std::vector<double> weights;  // of the source pixels from first on; they add up to 1
};

std::vector<Span> Spans(int from, int to) {
  std::vector<Span> spans(static_cast<std::size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double begin = i * step, end = (i + 1) * step;
    Span& span = spans[static_cast<std::size_t>(i)];
    span.first = static_cast<int>(std::floor(begin));
    const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
    for (int s = span.first; s <= last; ++s) {
      const double covered = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
      span.weights.push_back(std::max(covered, 0.0) / step);
    }
  }
  return spans;
}

std::uint32_t Channel(double value) { return static_cast<std::uint32_t>(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

Picture Resampled(const Picture& picture, int width, int height) {
  if (width < 1 || height < 1 || width > kMaxScaledSide || height > kMaxScaledSide) {
    throw std::invalid_argument("picture resampled to " + std::to_string(width) + " x " + std::to_string(height));
  }
  if (width == picture.width && height == picture.height) return picture;
  const std::vector<Span> columns = Spans(picture.width, width), rows = Spans(picture.height, height);
  Picture out{width, height, 32,
              std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
  for (int y = 0; y < height; ++y) {
    const Span& row = rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x) {
      const Span& column = columns[static_cast<std::size_t>(x)];
      // Colours premultiplied by alpha while they are mixed.
      double a = 0, r = 0, g = 0, b = 0;
      for (std::size_t j = 0; j < row.weights.size(); ++j) {
        for (std::size_t i = 0; i < column.weights.size(); ++i) {
          const std::uint32_t argb = picture.At(column.first + static_cast<int>(i), row.first + static_cast<int>(j));
          const double w = row.weights[j] * column.weights[i] * static_cast<double>(argb >> 24);
          a += w;
          r += w * ((argb >> 16) & 255);
          g += w * ((argb >> 8) & 255);
          b += w * (argb & 255);
        }
      }
      std::uint32_t argb = Channel(a) << 24;
      if (a > 0) argb |= Channel(r / a) << 16 | Channel(g / a) << 8 | Channel(b / a);
      out.pixels[out.Index(x, y)] = argb;
    }
  }
  return out;
}

}  // namespace host
