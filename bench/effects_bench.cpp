// Benchmark of the effects: for every effect and picture size, the straightforward
// reference form (pixel()/setPixel(), one thread), the library's form at one thread
// and at all threads, and OpenCV's closest operation at one thread and at all
// threads, all on the same photo-like picture in one run.
//
// Besides Google Benchmark's own report it prints a summary (time, megapixels per
// second, speed-up over the reference, ratio to OpenCV) and, given
// --results_md=FILE, writes that table and the checks of the targets as markdown.
//
// Extra options (before Google Benchmark's own):
//   --results_md=FILE   write the markdown results
//   --quick             fewer repetitions (a smoke run)
//   --no_large          only 768x576

#include "benchimage.h"
#include "gauss.h"
#include "grayworld.h"
#include "median.h"
#include "parallel.h"
#include "reference.h"
#include "resample.h"
#include "rotate.h"
#include "sharpen.h"
#include "stretch.h"
#include "waves.h"
#include "zoom.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QThread>

#ifdef GLIMMERIX_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

#ifdef GLIMMERIX_BENCH_OPENCV
using Mat = cv::Mat;
#else
struct Mat
{
};
#endif

using ImageEffect = std::function<QImage(const QImage &)>;
using OpenCvOperation = std::function<void(const Mat &source, Mat &target)>;

struct Effect
{
    std::string name;          // as in the results table
    ImageEffect reference;     // the pixel()/setPixel() form
    ImageEffect ours;          // the library, as the editor runs it
    std::string opencvName;    // OpenCV's closest operation, "" for none
    OpenCvOperation opencv;
    bool referenceLarge = true; // also time the reference at 6000x4000
};

struct Size
{
    int width;
    int height;
    std::string name() const { return std::to_string(width) + "x" + std::to_string(height); }
    double megapixels() const { return double(width) * height / 1e6; }
};

enum Form { Reference, Ours1, OursAll, OpenCv1, OpenCvAll, FormCount };
const char *const formNames[FormCount] = {"reference", "ours_1_thread", "ours_all_threads",
                                          "opencv_1_thread", "opencv_all_threads"};

const Size sizes[] = {{768, 576}, {6000, 4000}};

int allThreads()
{
    return std::max(1, QThread::idealThreadCount());
}

// Pictures are made once per size, when first needed.
const QImage &picture(int sizeIndex)
{
    static QImage cache[2];
    if (cache[sizeIndex].isNull())
        cache[sizeIndex] = benchPicture(sizes[sizeIndex].width, sizes[sizeIndex].height);
    return cache[sizeIndex];
}

#ifdef GLIMMERIX_BENCH_OPENCV
// The same picture as 8-bit BGR, OpenCV's usual colour image.
const Mat &pictureMat(int sizeIndex)
{
    static Mat cache[2];
    if (cache[sizeIndex].empty()) {
        const QImage &image = picture(sizeIndex);
        const Mat bgra(image.height(), image.width(), CV_8UC4, const_cast<uchar *>(image.constBits()),
                       size_t(image.bytesPerLine()));
        cv::cvtColor(bgra, cache[sizeIndex], cv::COLOR_BGRA2BGR);
    }
    return cache[sizeIndex];
}

// A gray-world balance from OpenCV's primitives: channel means, then one scaling.
void opencvGrayWorld(const Mat &source, Mat &target)
{
    const cv::Scalar mean = cv::mean(source);
    const double gray = (mean[0] + mean[1] + mean[2]) / 3;
    const cv::Scalar gain(mean[0] > 0 ? gray / mean[0] : 0, mean[1] > 0 ? gray / mean[1] : 0,
                          mean[2] > 0 ? gray / mean[2] : 0);
    cv::multiply(source, gain, target);
}

// Unsharp masking: a 7-tap Gaussian (sigma 0.7) and a weighted difference.
void opencvUnsharp(const Mat &source, Mat &target, double strength)
{
    Mat blurred;
    cv::GaussianBlur(source, blurred, cv::Size(7, 7), 0.7, 0.7);
    cv::addWeighted(source, 1 + strength, blurred, -strength, 0, target);
}

// A contrast stretch through a 256-entry table.
void opencvLut(const Mat &source, Mat &target)
{
    static const Mat table = [] {
        Mat t(1, 256, CV_8U);
        for (int v = 0; v < 256; ++v)
            t.at<uchar>(v) = cv::saturate_cast<uchar>((v - 20) * (255.0 / 200));
        return t;
    }();
    cv::LUT(source, table, target);
}

// The map of the waves (wave length 10, amplitude 5), built once per size: remap
// alone is timed.
void opencvWaves(const Mat &source, Mat &target)
{
    static std::map<int, std::pair<Mat, Mat>> maps;
    auto found = maps.find(source.cols * 100000 + source.rows);
    if (found == maps.end()) {
        Mat mx(source.rows, source.cols, CV_32F), my(source.rows, source.cols, CV_32F);
        for (int y = 0; y < source.rows; ++y) {
            const double sy = std::sin(y * 3.141592653589793 / 10) * 5 + y;
            for (int x = 0; x < source.cols; ++x) {
                mx.at<float>(y, x) = float(std::sin(x * 3.141592653589793 / 10) * 5 + x);
                my.at<float>(y, x) = float(sy);
            }
        }
        found = maps.emplace(source.cols * 100000 + source.rows, std::make_pair(mx, my)).first;
    }
    cv::remap(source, target, found->second.first, found->second.second, cv::INTER_LINEAR,
              cv::BORDER_CONSTANT);
}

void opencvWarp(const Mat &source, Mat &target, double angle, double scale)
{
    const cv::Point2f centre(float((source.cols - 1) / 2), float((source.rows - 1) / 2));
    const Mat m = cv::getRotationMatrix2D(centre, -angle, scale);
    cv::warpAffine(source, target, m, source.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT);
}
#endif

std::vector<Effect> effectList()
{
    std::vector<Effect> list;
    const auto add = [&](std::string name, ImageEffect reference, ImageEffect ours,
                         std::string opencvName, OpenCvOperation opencv) {
        list.push_back({std::move(name), std::move(reference), std::move(ours),
                        std::move(opencvName), std::move(opencv)});
    };
#ifdef GLIMMERIX_BENCH_OPENCV
#define CV_OP(name, body) name, [](const Mat &s, Mat &t) { body; }
#else
#define CV_OP(name, body) "", nullptr
#endif
    add("median 9", [](const QImage &i) { return reference::median(i, 9); },
        [](const QImage &i) { return effects::median(i, 9); },
        CV_OP("medianBlur 9 (per channel)", cv::medianBlur(s, t, 9)));
    add("median 3", [](const QImage &i) { return reference::median(i, 3); },
        [](const QImage &i) { return effects::median(i, 3); },
        CV_OP("medianBlur 3 (per channel)", cv::medianBlur(s, t, 3)));
    add("gauss 5.0", [](const QImage &i) { return reference::gaussBlur(i, 5.0); },
        [](const QImage &i) { return effects::gaussBlur(i, 5.0); },
        CV_OP("GaussianBlur 33x33", cv::GaussianBlur(s, t, cv::Size(33, 33), 5.0, 5.0)));
    add("gauss 1.0", [](const QImage &i) { return reference::gaussBlur(i, 1.0); },
        [](const QImage &i) { return effects::gaussBlur(i, 1.0); },
        CV_OP("GaussianBlur 9x9", cv::GaussianBlur(s, t, cv::Size(9, 9), 1.0, 1.0)));
    add("sharpen 1.0",
        [](const QImage &i) { return reference::sharpen(i, reference::gaussBlur(i, 0.7), 1.0); },
        [](const QImage &i) { return effects::sharpen(i, effects::gaussBlur(i, effects::sharpenBlurSigma), 1.0); },
        CV_OP("GaussianBlur 7x7 + addWeighted", opencvUnsharp(s, t, 1.0)));
    add("zoom2 200", [](const QImage &i) { return reference::resample(i, 200); },
        [](const QImage &i) { return effects::resample(i, 200); },
        CV_OP("resize 200% linear", cv::resize(s, t, cv::Size(s.cols * 2, s.rows * 2), 0, 0, cv::INTER_LINEAR)));
    add("channel", [](const QImage &i) {
            return reference::extension(reference::extension(reference::extension(i, 1), 2), 3);
        },
        // The editor's Channel command: the stretches of blue, green and red in turn.
        [](const QImage &i) { return effects::channelStretch(i); },
        CV_OP("LUT", opencvLut(s, t)));
    add("waves 10/5", [](const QImage &i) { return reference::waves(i, 10, 5); },
        [](const QImage &i) { return effects::waves(i, 10, 5); },
        CV_OP("remap linear", opencvWaves(s, t)));
    add("zoom 150", [](const QImage &i) { return reference::zoomAboutCentre(i, 150, 100); },
        [](const QImage &i) { return effects::zoomAboutCentre(i, 150, 100); },
        CV_OP("warpAffine scale 1.5 linear", opencvWarp(s, t, 0, 1.5)));
    add("rotate 30", [](const QImage &i) { return reference::rotateAboutCentre(i, 30, 0); },
        [](const QImage &i) { return effects::rotateAboutCentre(i, 30, 0); },
        CV_OP("warpAffine rotate 30 linear", opencvWarp(s, t, 30, 1)));
    add("linear", [](const QImage &i) { return reference::extension(i, 0); },
        [](const QImage &i) { return effects::linearStretch(i); },
        CV_OP("LUT", opencvLut(s, t)));
    add("gray world", [](const QImage &i) { return reference::grayWorld(i); },
        [](const QImage &i) { return effects::grayWorld(i); },
        CV_OP("mean + multiply", opencvGrayWorld(s, t)));
    add("zoom2 50", [](const QImage &i) { return reference::resample(i, 50); },
        [](const QImage &i) { return effects::resample(i, 50); },
        CV_OP("resize 50% linear", cv::resize(s, t, cv::Size(s.cols / 2, s.rows / 2), 0, 0, cv::INTER_LINEAR)));
#undef CV_OP
    // The slowest references (tens of seconds at 6000x4000) are timed at 768x576 only.
    for (Effect &effect : list)
        if (effect.name == "median 9" || effect.name == "median 3" || effect.name == "gauss 5.0"
            || effect.name == "sharpen 1.0" || effect.name == "zoom2 200")
            effect.referenceLarge = false;
    return list;
}

// Median times in milliseconds, by effect, size and form; negative: not measured.
struct Results
{
    std::map<std::string, double> times; // key "effect|size|form"
    static std::string key(const std::string &effect, const std::string &size, int form)
    {
        return effect + "|" + size + "|" + formNames[form];
    }
    double get(const std::string &effect, const std::string &size, int form) const
    {
        const auto it = times.find(key(effect, size, form));
        return it == times.end() ? -1 : it->second;
    }
};

Results results;
std::map<std::string, std::string> keyOfBenchmark; // benchmark name -> results key

// The console report as usual; the median of every benchmark is also kept.
class CollectingReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single)
                continue;
            const auto it = keyOfBenchmark.find(run.run_name.function_name);
            if (it == keyOfBenchmark.end())
                continue;
            // Real time per iteration, in milliseconds.
            results.times[it->second] = run.real_accumulated_time / double(run.iterations) * 1e3;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

std::string formatMs(double ms)
{
    if (ms < 0)
        return "-";
    char text[32];
    if (ms >= 100)
        std::snprintf(text, sizeof text, "%.1f", ms);
    else if (ms >= 10)
        std::snprintf(text, sizeof text, "%.2f", ms);
    else
        std::snprintf(text, sizeof text, "%.3f", ms);
    return text;
}

std::string formatRatio(double numerator, double denominator)
{
    if (numerator < 0 || denominator <= 0)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", numerator / denominator);
    return text;
}

// Checks each result against the reference once at the small size, so that a
// fast wrong answer cannot pass unnoticed.
bool checkIdentical(const std::vector<Effect> &effects, std::string &report)
{
    bool all = true;
    const QImage &source = picture(0);
    for (const Effect &effect : effects) {
        const QImage expected = effect.reference(source);
        for (int threads : {1, allThreads()}) {
            effects::setThreadCount(threads);
            const QImage actual = effect.ours(source);
            bool same = actual.size() == expected.size();
            for (int y = 0; same && y < actual.height(); ++y)
                for (int x = 0; same && x < actual.width(); ++x)
                    same = actual.pixel(x, y) == expected.pixel(x, y);
            if (!same) {
                all = false;
                report += "- " + effect.name + " at " + std::to_string(threads) +
                          " thread(s): DIFFERS from the reference\n";
            }
        }
        effects::setThreadCount(0);
    }
    if (all)
        report += "- every effect at 768x576, 1 and " + std::to_string(allThreads()) +
                  " threads: bit-identical to the reference\n";
    return all;
}

void registerBenchmarks(const std::vector<Effect> &effects, bool quick, bool large)
{
    for (size_t e = 0; e < effects.size(); ++e) {
        for (int s = 0; s < (large ? 2 : 1); ++s) {
            const Size size = sizes[s];
            const bool big = s == 1;
            for (int form = 0; form < FormCount; ++form) {
                if (form == Reference && big && !effects[e].referenceLarge)
                    continue;
                const bool opencv = form == OpenCv1 || form == OpenCvAll;
#ifndef GLIMMERIX_BENCH_OPENCV
                if (opencv)
                    continue;
#endif
                const Effect *effect = &effects[e];
                if (opencv && !effect->opencv)
                    continue;
                std::string name = effect->name + "/" + size.name() + "/" + formNames[form];
                std::replace(name.begin(), name.end(), ' ', '_');
                keyOfBenchmark[name] = Results::key(effect->name, size.name(), form);
                const int threads = form == Ours1 || form == OpenCv1 ? 1 : allThreads();
                const double pixels = double(size.width) * size.height;
                benchmark::internal::Benchmark *b = benchmark::RegisterBenchmark(
                    name.c_str(), [effect, s, form, threads, pixels](benchmark::State &state) {
                        if (form == Reference || form == Ours1 || form == OursAll) {
                            effects::setThreadCount(form == Reference ? 1 : threads);
                            const QImage &source = picture(s);
                            const ImageEffect &run = form == Reference ? effect->reference : effect->ours;
                            for (auto _ : state) {
                                QImage result = run(source);
                                benchmark::DoNotOptimize(result.constBits());
                            }
                            effects::setThreadCount(0);
                        } else {
#ifdef GLIMMERIX_BENCH_OPENCV
                            const int saved = cv::getNumThreads();
                            cv::setNumThreads(threads);
                            const Mat &source = pictureMat(s);
                            Mat target;
                            for (auto _ : state) {
                                effect->opencv(source, target);
                                benchmark::DoNotOptimize(target.data);
                            }
                            cv::setNumThreads(saved);
#endif
                        }
                        state.counters["MP/s"] = benchmark::Counter(
                            pixels, benchmark::Counter::kIsIterationInvariantRate);
                    });
                b->Unit(benchmark::kMillisecond)->UseRealTime()->ReportAggregatesOnly(true);
                if (form == Reference && big) {
                    // Tens of seconds each: one timed run.
                    b->Iterations(1)->Repetitions(1);
                } else if (form == Reference) {
                    b->MinTime(quick ? 0.05 : 0.2)->Repetitions(quick ? 1 : 3);
                } else if (big) {
                    b->MinTime(quick ? 0.05 : 0.3)->Repetitions(quick ? 1 : 3);
                } else {
                    b->MinTime(quick ? 0.05 : 0.3)->Repetitions(quick ? 1 : 5);
                }
            }
        }
    }
}

std::string summary(const std::vector<Effect> &effects, bool large)
{
    std::string out;
    char line[512];
    std::snprintf(line, sizeof line, "%-12s %-10s %11s %11s %11s %9s %9s %9s %10s %10s\n", "effect",
                  "size", "ref ms", "1 thr ms", "all thr ms", "MP/s", "speed-up", "vs CV 1",
                  "vs CV all", "");
    out += line;
    for (int s = 0; s < (large ? 2 : 1); ++s) {
        const std::string size = sizes[s].name();
        for (const Effect &e : effects) {
            const double ref = results.get(e.name, size, Reference);
            const double one = results.get(e.name, size, Ours1);
            const double all = results.get(e.name, size, OursAll);
            const double cv1 = results.get(e.name, size, OpenCv1);
            const double cvAll = results.get(e.name, size, OpenCvAll);
            char mps[32] = "-";
            if (all > 0)
                std::snprintf(mps, sizeof mps, "%.1f", sizes[s].megapixels() / (all / 1e3));
            std::snprintf(line, sizeof line, "%-12s %-10s %11s %11s %11s %9s %9s %9s %10s\n",
                          e.name.c_str(), size.c_str(), formatMs(ref).c_str(), formatMs(one).c_str(),
                          formatMs(all).c_str(), mps, formatRatio(ref, all).c_str(),
                          formatRatio(one, cv1).c_str(), formatRatio(all, cvAll).c_str());
            out += line;
        }
    }
    return out;
}

std::string markdown(const std::vector<Effect> &effects, bool large, const std::string &identity)
{
    std::string md;
    md += "| effect | size | reference ms | ours 1 thread ms | ours 2 threads ms | OpenCV 1 thread ms "
          "| OpenCV 2 threads ms | OpenCV operation |\n";
    md += "|---|---|---|---|---|---|---|---|\n";
    for (int s = 0; s < (large ? 2 : 1); ++s) {
        const std::string size = sizes[s].name();
        for (const Effect &e : effects) {
            md += "| " + e.name + " | " + size + " | " + formatMs(results.get(e.name, size, Reference)) +
                  " | " + formatMs(results.get(e.name, size, Ours1)) + " | " +
                  formatMs(results.get(e.name, size, OursAll)) + " | " +
                  formatMs(results.get(e.name, size, OpenCv1)) + " | " +
                  formatMs(results.get(e.name, size, OpenCvAll)) + " | " +
                  (e.opencvName.empty() ? std::string("-") : e.opencvName) + " |\n";
        }
    }

    // The targets, effect by effect.
    std::string met, missed;
    const auto check = [&](bool ok, const std::string &text) { (ok ? met : missed) += "- " + text + "\n"; };
    for (const Effect &e : effects) {
        const double small = results.get(e.name, sizes[0].name(), OursAll);
        if (small > 0)
            check(small <= 16, e.name + " at 768x576, all threads: " + formatMs(small) + " ms (target 16 ms)");
        if (large) {
            const double big = results.get(e.name, sizes[1].name(), OursAll);
            if (big > 0)
                check(big <= 1000, e.name + " at 6000x4000, all threads: " + formatMs(big) +
                                       " ms (target 1000 ms)");
        }
        for (int s = 0; s < (large ? 2 : 1); ++s) {
            const std::string size = sizes[s].name();
            for (const auto &pair : {std::make_pair(Ours1, OpenCv1), std::make_pair(OursAll, OpenCvAll)}) {
                const double ours = results.get(e.name, size, pair.first);
                const double cv = results.get(e.name, size, pair.second);
                if (ours <= 0 || cv <= 0)
                    continue;
                const std::string threads = pair.first == Ours1 ? "1 thread" : "all threads";
                const bool median9 = e.name == "median 9";
                const double limit = median9 ? 1.0 : 1.5;
                check(ours <= limit * cv,
                      e.name + " at " + size + ", " + threads + ": " + formatRatio(ours, cv) +
                          "x OpenCV's " + e.opencvName + (median9 ? " (target: faster)" : " (target 1.5x)"));
            }
        }
    }
    md += "\n### Targets met\n\n" + (met.empty() ? std::string("- none\n") : met);
    md += "\n### Targets missed\n\n" + (missed.empty() ? std::string("- none\n") : missed);
    md += "\n### Exactness\n\n" + identity;
    return md;
}

} // namespace

int main(int argc, char **argv)
{
    std::string resultsFile;
    bool quick = false;
    bool large = true;
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strncmp(argv[i], "--results_md=", 13) == 0)
            resultsFile = argv[i] + 13;
        else if (i > 0 && std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (i > 0 && std::strcmp(argv[i], "--no_large") == 0)
            large = false;
        else
            rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    const std::vector<Effect> effects = effectList();
    std::string identity;
    checkIdentical(effects, identity);
    std::fputs(identity.c_str(), stdout);

    registerBenchmarks(effects, quick, large);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nAll threads: %d. Speed-up: reference / all threads. vs CV: ours / OpenCV at the same "
                "thread count.\n",
                allThreads());
    std::fputs(summary(effects, large).c_str(), stdout);

    if (!resultsFile.empty()) {
        std::FILE *file = std::fopen(resultsFile.c_str(), "w");
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", resultsFile.c_str());
            return 1;
        }
        std::fputs(markdown(effects, large, identity).c_str(), file);
        std::fclose(file);
    }
    return 0;
}
