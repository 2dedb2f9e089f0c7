// Digital image correlation from arrays (correlate) and from configuration files (correlate_config).
#include "Arrays.h"
#include "Bindings.h"

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include <optional>
#include <stop_token>
#include <tuple>
#include <variant>

#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationGrid.h"
#include "correlation/CorRelationJob.h"
#include "correlation/TCorRelation.h"

namespace corvane::python {

namespace {

using Pair = std::pair<int, int>;

/// How a correlation called from Python runs: with the GIL released, on the given workers, with
/// Ctrl+C (KeyboardInterrupt), or an exception raised by the progress callable, stopping the engine
/// through its stop token; that exception is raised when the engine has stopped.
class Stoppable {
  public:
    Stoppable(std::optional<int> threads, py::object progress) : progress_(std::move(progress)) {
        if (threads && *threads < 1) throw py::value_error("threads must be 1 or more");
        Options.Threads = threads.value_or(0);
        Options.Stop = stop_.get_token();
        Options.Progress = [this](std::int64_t done, std::int64_t all) {
            if (stop_.stop_requested()) return;
            py::gil_scoped_acquire gil;
            try {
                if (PyErr_CheckSignals() != 0) throw py::error_already_set();
                if (!progress_.is_none())
                    progress_(all > 0 ? static_cast<double>(done) / static_cast<double>(all) : 1.0);
            } catch (py::error_already_set& e) {
                raised_.emplace(std::move(e));
                stop_.request_stop();
            }
        };
    }
    Stoppable(const Stoppable&) = delete;
    Stoppable& operator=(const Stoppable&) = delete;

    /// Runs f with the GIL released; our errors become OSError (fileCall) or ValueError.
    template <class F> void Run(bool fileCall, F&& f) {
        bool cancelled = false;
        Guarded(fileCall, [&] {
            py::gil_scoped_release free;
            try {
                f();
            } catch (const CorRelationCancelled&) {
                cancelled = true;
            }
        });
        // An exception raised after the engine's last check (Ctrl+C at the very end) is not lost.
        if (!cancelled && !raised_) return;
        if (raised_) {
            py::error_already_set e = std::move(*raised_);
            raised_.reset();
            throw e;
        }
        throw py::value_error("Correlation cancelled");
    }

    CorRelationOptions Options;

  private:
    py::object progress_;
    std::stop_source stop_;
    std::optional<py::error_already_set> raised_;
};

py::array Marked(const std::vector<float>& values, std::size_t width, std::size_t height) {
    return FromFloat(values.data(), static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                     true);
}

py::dict Fields(const TCorRelationResult& r) {
    const CorRelationGridValues g = Guarded(true, [&] { return ResultOnGrid(r); });
    py::dict d;
    d["x"] = py::array_t<std::int32_t>(static_cast<py::ssize_t>(g.X.size()), g.X.data());
    d["y"] = py::array_t<std::int32_t>(static_cast<py::ssize_t>(g.Y.size()), g.Y.data());
    d["u"] = Marked(g.U, g.X.size(), g.Y.size());
    if (!g.Zncc.empty()) d["zncc"] = Marked(g.Zncc, g.X.size(), g.Y.size());
    d["v"] = Marked(g.V, g.X.size(), g.Y.size());
    if (!g.DuDx.empty()) {
        d["dudx"] = Marked(g.DuDx, g.X.size(), g.Y.size());
        d["dudy"] = Marked(g.DuDy, g.X.size(), g.Y.size());
        d["dvdx"] = Marked(g.DvDx, g.X.size(), g.Y.size());
        d["dvdy"] = Marked(g.DvDy, g.X.size(), g.Y.size());
        d["refined"] = r.Refinement.Refined;
        d["diverged"] = r.Refinement.Diverged;
        d["left_picture"] = r.Refinement.LeftPicture;
        d["poor_correlation"] = r.Refinement.PoorCorrelation;
    }
    d["points"] = r.AllPoints;
    d["points_computed"] = r.SuccessfulPoints;
    return d;
}

int FilterType(const std::string& filter) {
    if (filter == "none") return 0;
    if (filter == "average") return 1;
    if (filter == "median") return 2;
    throw py::value_error("filter must be \"none\", \"average\" or \"median\", not \"" + filter + "\"");
}

py::dict Correlate(const py::handle& initial, const py::handle& deformed,
                   std::optional<std::tuple<int, int, int, int>> roi, int subset, int search, Pair seeds,
                   bool refine, std::variant<int, Pair> step, std::optional<int> threads,
                   const py::object& progress, int largeWindow, Pair seedDisplacement, double seedPrecision,
                   float amplitude, const std::string& filter, Pair filterSize, float averageThreshold,
                   std::pair<float, float> scale, const std::optional<std::string>& mask,
                   std::optional<bool> gridOnly, double minCorrelation) {
    std::unique_ptr<TGrayImage> a = ToGrey(initial, "initial"), b = ToGrey(deformed, "deformed");
    TCorRelationPara p;
    p.MaskFile = mask.value_or("");
    p.WinMoveX = p.WinMoveY = search;
    p.LargeWinX = p.LargeWinY = largeWindow;
    p.SearchWinX = p.SearchWinY = subset;
    std::tie(p.SeedNumX, p.SeedNumY) = seeds;
    std::tie(p.SeedDispX, p.SeedDispY) = seedDisplacement;
    p.SeedPrecision = static_cast<float>(seedPrecision);
    if (roi) {
        std::tie(p.Left, p.Up, p.Right, p.Bottom) = *roi;
    } else {
        // The largest field whose seed windows and searches stay inside the picture.
        const int margin = largeWindow / 2 + search / 2 + 1;
        p.Left = p.Up = margin;
        p.Right = a->Width - 1 - margin;
        p.Bottom = a->Height - 1 - margin;
    }
    p.Amplitude = amplitude;
    if (const int* both = std::get_if<int>(&step))
        p.GridX = p.GridY = *both;
    else
        std::tie(p.GridX, p.GridY) = std::get<Pair>(step);
    std::tie(p.ScaleX, p.ScaleY) = scale;
    p.FilterType = FilterType(filter);
    std::tie(p.FilterSizeX, p.FilterSizeY) = filterSize;
    p.AverageThreshold = averageThreshold;
    p.SubpixelRefinement = refine ? 1 : 0;
    // As the wizard does for a new group: only the grid's points when the grid is coarser than 1.
    p.GridOnly = gridOnly.value_or(p.GridX > 1 || p.GridY > 1) ? 1 : 0;
    p.MinCorrelation = static_cast<float>(minCorrelation);
    // The correlation map is kept as with the float maps on; nothing is written from here.
    p.OutputBin = 1;
    Stoppable run(threads, progress);
    std::unique_ptr<TCorRelation> engine;
    run.Run(false, [&] {
        engine = std::make_unique<TCorRelation>(p, TCorRelation::Mode::Normal, run.Options, std::move(a),
                                                std::move(b));
        engine->Compute();
    });
    return Fields(engine->Result());
}

py::list CorrelateConfig(const std::string& path, std::optional<int> threads, const py::object& progress) {
    const std::vector<TCorRelationPara> groups = Guarded(true, [&] { return ReadConfigFile(path); });
    py::list out;
    for (const TCorRelationPara& p : groups) {
        const TCorRelation::Mode mode =
            p.FastCompute == 1 ? TCorRelation::Mode::Fast : TCorRelation::Mode::Normal;
        Stoppable run(threads, progress);
        std::unique_ptr<TCorRelation> engine;
        run.Run(true, [&] { engine = std::make_unique<TCorRelation>(p, mode, run.Options); });
        run.Run(false, [&] { engine->Compute(); });
        run.Run(true, [&] { engine->WriteFiles(p.ChangeYaxis == 1); });
        out.append(Fields(engine->Result()));
    }
    return out;
}

} // namespace

void BindCorrelation(py::module_& m) {
    using namespace py::literals;
    m.def("correlate", &Correlate, "initial"_a, "deformed"_a, py::kw_only(), "roi"_a = py::none(),
          "subset"_a = 13, "search"_a = 33, "seeds"_a = Pair{2, 2}, "refine"_a = true, "step"_a = 1,
          "threads"_a = py::none(), "progress"_a = py::none(), "large_window"_a = 15,
          "seed_displacement"_a = Pair{0, 0}, "seed_precision"_a = 0.1, "amplitude"_a = 20.0f,
          "filter"_a = "median", "filter_size"_a = Pair{3, 3}, "average_threshold"_a = 0.5f,
          "scale"_a = std::pair<float, float>{1.0f, 1.0f}, "mask"_a = py::none(), "grid_only"_a = py::none(),
          "min_correlation"_a = 0.0,
          R"(Digital image correlation of two uint8 pictures of the same specimen, as a normal group of
a correlation configuration file computes it (the defaults are those of the default file).

roi          (left, top, right, bottom) search field in the initial picture, corners included;
             by default the largest one whose windows stay inside the picture
subset       correlation window side of the whole-field search ("Searching Window Size")
search       side of the area searched around each seed ("WinMoving Range")
seeds        seed grid (across, down); large_window is the window at the seeds
refine       inverse-compositional Gauss-Newton refinement to a few thousandths of a pixel
step         output grid step, one number or (across, down) ("Output Grid")
threads      workers to compute with; by default every CPU the process may use
progress     callable given the fraction done, now and then
filter       post filter "median", "average" or "none", over filter_size; average_threshold
amplitude, seed_displacement, seed_precision, scale (x, y): as the file's fields
mask         name of a mask picture (points whose level is not 255 are left out)
grid_only    compute only the grid's points (by default when step is above 1), as the line
             "Compute Only Output Grid" does: several times faster on coarse grids
min_correlation  points whose zero-normalised correlation is below it, and points whose
             refinement diverged, are NaN in u, v and the gradients (0 keeps every point)

Returns a dict: x, y (grid columns and rows), u, v (float32 arrays (len(y), len(x)) of the
displacements times the scales, NaN where not computed), zncc (each point's zero-normalised
correlation, NaN where there is none), with refine also dudx, dudy, dvdx, dvdy and the
refinement's counts, and points / points_computed as the report counts them.
The GIL is released while it computes; Ctrl+C stops it with KeyboardInterrupt.)");
    m.def("correlate_config", &CorrelateConfig, "path"_a, py::kw_only(), "threads"_a = py::none(),
          "progress"_a = py::none(),
          "Runs every group of a correlation configuration file (.cor) exactly as corvane-correlate\n"
          "does, writing its files, and returns a list with one dict per group as correlate does.");
}

} // namespace corvane::python
