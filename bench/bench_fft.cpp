// Forward + inverse centred transform of an N x N complex field, against the literal
// transcription of the kernel and, when available, a double-precision library transform
// (one thread, measured plan, forward + backward) as the yardstick.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "spectral/CentredFft.h"
#include "support/PlainFft.h"

#ifdef CORVANE_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

struct Field {
    std::vector<float> re, im;
    explicit Field(int n) : re(static_cast<size_t>(n) * n), im(re.size()) {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> d(0.0f, 255.0f);
        for (auto& v : re)
            v = d(rng);
    }
};

void BM_CentredForwardInverse(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Field f(n);
    for (auto _ : state) {
        corvane::ForwardFFT2D(f.re.data(), f.im.data(), n, n, true);
        corvane::InverseFFT2D(f.re.data(), f.im.data(), n, n, true);
        benchmark::DoNotOptimize(f.re.data());
    }
}
BENCHMARK(BM_CentredForwardInverse)->Arg(512)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);

void BM_PlainTranscriptionForwardInverse(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Field f(n);
    for (auto _ : state) {
        corvane::test::PlainForwardFFT2D(f.re.data(), f.im.data(), n, n, true);
        corvane::test::PlainInverseFFT2D(f.re.data(), f.im.data(), n, n, true);
        benchmark::DoNotOptimize(f.re.data());
    }
}
BENCHMARK(BM_PlainTranscriptionForwardInverse)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);

#ifdef CORVANE_HAVE_FFTW
void BM_LibraryDoubleForwardBackward(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    fftw_complex* data = fftw_alloc_complex(static_cast<size_t>(n) * n);
    fftw_plan forward = fftw_plan_dft_2d(n, n, data, data, FFTW_FORWARD, FFTW_MEASURE);
    fftw_plan backward = fftw_plan_dft_2d(n, n, data, data, FFTW_BACKWARD, FFTW_MEASURE);
    Field f(n);
    for (size_t i = 0; i < f.re.size(); ++i) {
        data[i][0] = f.re[i];
        data[i][1] = 0.0;
    }
    for (auto _ : state) {
        fftw_execute(forward);
        fftw_execute(backward);
        benchmark::DoNotOptimize(data);
    }
    fftw_destroy_plan(forward);
    fftw_destroy_plan(backward);
    fftw_free(data);
}
BENCHMARK(BM_LibraryDoubleForwardBackward)->Arg(512)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
#endif

} // namespace

BENCHMARK_MAIN();
