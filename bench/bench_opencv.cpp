// OpenCV's nearest equivalents on the same pictures, for comparison: at one thread and at OpenCV's
// default thread count (the benchmark's thread argument 1 or 0).
#ifdef ORVANE_WITH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "BenchPicture.h"

namespace {

using bench::Picture;

cv::Mat imageMat(Picture& p) { return cv::Mat(p.height, p.width, CV_8UC3, p.image.data(), p.stride); }
cv::Mat sourceMat(Picture& p) { return cv::Mat(p.height, p.width, CV_8UC3, p.source.data(), p.stride); }

template <typename Body>
void runOpenCV(benchmark::State& state, Body body) {
  cv::setNumThreads(state.range(1) == 1 ? 1 : -1);
  bench::runInPlace(state, body);
}

#define OPENCV(label, call)                          \
  void BM_opencv_##label(benchmark::State& state) {  \
    runOpenCV(state, [](Picture& p) {                \
      cv::Mat src = sourceMat(p), img = imageMat(p); \
      call;                                          \
    });                                              \
  }                                                  \
  BENCHMARK(BM_opencv_##label)->Apply(bench::widths)

OPENCV(box3, cv::blur(src, img, cv::Size(3, 3)));
OPENCV(gauss3, cv::GaussianBlur(src, img, cv::Size(3, 3), 0));
OPENCV(median3, cv::medianBlur(src, img, 3));
OPENCV(laplacian, cv::Laplacian(src, img, CV_8U));
OPENCV(sharpen, {
  static const cv::Mat kernel = (cv::Mat_<float>(3, 3) << 0, -1, 0, -1, 5, -1, 0, -1, 0);
  cv::filter2D(src, img, CV_8U, kernel);
});
OPENCV(emboss, {
  static const cv::Mat kernel = (cv::Mat_<float>(3, 3) << -1, -1, 0, -1, 0, 1, 0, 1, 1);
  cv::filter2D(src, img, CV_8U, kernel, cv::Point(-1, -1), 128);
});
// The weighted 5 x 5 blur's own kernel, for the one 5 x 5 filter.
OPENCV(kernel5, {
  static const cv::Mat kernel =
      (cv::Mat_<float>(5, 5) << 0, 1, 2, 1, 0, 1, 4, 6, 4, 1, 2, 6, 8, 6, 2, 1, 4, 6, 4, 1, 0, 1, 2, 1, 0) /
      64;
  cv::filter2D(src, img, CV_8U, kernel);
});
OPENCV(invert, cv::bitwise_not(img, img));
OPENCV(addconstant, cv::add(img, cv::Scalar(20, 20, 20), img));
OPENCV(grey, {
  cv::Mat grey;
  cv::cvtColor(src, grey, cv::COLOR_BGR2GRAY);
  benchmark::DoNotOptimize(grey.data);
});
OPENCV(fliphor, cv::flip(src, img, 1));
OPENCV(flipver, cv::flip(src, img, 0));
OPENCV(rotate90, {
  cv::Mat out;
  cv::rotate(src, out, cv::ROTATE_90_COUNTERCLOCKWISE);
  benchmark::DoNotOptimize(out.data);
});
OPENCV(rotate180, cv::rotate(src, img, cv::ROTATE_180));
OPENCV(resizehalf, {
  cv::Mat out;
  cv::resize(src, out, cv::Size(p.width / 2, p.height / 2), 0, 0, cv::INTER_AREA);
  benchmark::DoNotOptimize(out.data);
});

}  // namespace
#endif
