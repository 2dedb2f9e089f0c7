#pragma once
#include <algorithm>
#include <vector>

namespace corvane::test {

/// The median filter as the plain procedure gives it, over the region (x1, y1)-(x2, y2) of a
/// width-wide picture: region clipped, window sizes made odd and at least 1, every window
/// gathered row by row from a copy, bubble passes k = n-1 down to n/2 sorting it in descending
/// order, element n/2 written back.
template <class T>
void BubbleMedian(std::vector<T>& data, int width, int x1, int y1, int x2, int y2, int w, int h) {
    const int height = static_cast<int>(data.size()) / width;
    x1 = std::max(x1, 0), y1 = std::max(y1, 0);
    x2 = std::min(x2, width - 1), y2 = std::min(y2, height - 1);
    w = std::max(w, 1) | 1, h = std::max(h, 1) | 1;
    const std::vector<T> copy = data;
    const int n = w * h;
    std::vector<T> window(static_cast<std::size_t>(n));
    for (int y = y1 + h / 2; y <= y2 - h / 2; ++y)
        for (int x = x1 + w / 2; x <= x2 - w / 2; ++x) {
            int k = 0;
            for (int j = y - h / 2; j <= y + h / 2; ++j)
                for (int i = x - w / 2; i <= x + w / 2; ++i)
                    window[k++] = copy[j * width + i];
            for (int pass = n - 1; pass >= n / 2; --pass)
                for (int j = 0; j < pass; ++j)
                    if (window[j] < window[j + 1]) std::swap(window[j], window[j + 1]);
            data[y * width + x] = window[n / 2];
        }
}

} // namespace corvane::test
