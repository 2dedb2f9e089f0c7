#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dotgrid/CodeFile.h"
#include "dotgrid/ComponentFill.h"
#include "dotgrid/NearestDotIndex.h"
#include "dotgrid/TCoordinateSystem.h"
#include "dotgrid/TDotInfo.h"
#include "image/TGrayImage.h"

namespace corvane {

class TPixelCanvas;

/// "Automatic Choose Origin Method": which dot an automatic encode starts from.
enum class TOriginMethod : std::int32_t {
    MaxArea = 0,        ///< "Max Area": the largest dot (the first of equals)
    CenterIndexDot = 1, ///< "Center Index Dot": dot number FDotSum / 2
    CenterGridDot = 2,  ///< "Center Grid Dot": nearest to the mean of all centroids
    CenterImageDot = 3, ///< "Center Image Dot": nearest to the picture centre
};

/// A label written on the picture beside a dot: "%d(%d,%d)" (number, nx, ny) for a coded dot,
/// "%d(%5.2f,%5.2f)" (number, centroid) for one without indices.
struct TDotLabel {
    std::int32_t Dot = -1;
    std::int32_t X = 0, Y = 0; ///< where the text starts: the dot's centroid, truncated
    std::string Text;
    float CentreX = 0.0f, CentreY = 0.0f; ///< the dot's centroid, for labels placed on the screen
};

/// What a document window shows after an encoding command: the encoder's cleaned picture (border
/// and noise components removed), the pixels to paint red and the labels to write over it.
struct TCodeView {
    std::unique_ptr<TGrayImage> Picture; ///< grey copy of the work image
    std::unique_ptr<TGrayImage> Red;     ///< same size; 255 where the pixel is painted red, else 0
    std::vector<TDotLabel> Labels;
};

/// How a document window builds its encoder.
struct TDotGridEncoderOptions {
    bool WhiteGrid = true;  ///< "White Grid": white dots on a 0 background, else black dots on 255
    bool DrawFlag = false;  ///< paint erased pixels on the canvas while one is set
    std::int32_t MaxX = 50; ///< half ranges of the coordinate system ("Max X", "Max Y")
    std::int32_t MaxY = 50;
};

/// The dot grid of one segmented picture: extraction of the dots (connected components of
/// non-background pixels, border components and noise removed, grey-weighted centroids) into the
/// dot table `FDotInfo`, and the state the encoding walk fills in (grid indices, neighbours,
/// coordinate system). All extraction happens on a private copy of the picture.
class TDotGridEncoder {
  public:
    // Dot extraction.
    std::unique_ptr<std::uint8_t[]> WorkPixels; ///< the pixels of WorkImage, owned here
    std::unique_ptr<TGrayImage> WorkImage;      ///< private copy of the picture; extraction erases it
    std::unique_ptr<std::uint8_t[]>
        Backup;                     ///< snapshot of WorkImage (its Size bytes) around destructive scans
    std::uint8_t Background = 0;    ///< 0 (white grid) or 255 (black grid)
    bool DrawFlag = false;          ///< paint erased pixels on Canvas (only while one is set)
    TPixelCanvas* Canvas = nullptr; ///< where progress is painted; none on the command line
    std::int32_t Area = 0;          ///< pixel count of the component filled last
    std::int64_t SumWX = 0, SumWY = 0, SumW = 0; ///< its weighted sums
    std::int32_t NoiseThreshold = 0; ///< smallest area that counts as a dot ("The Least Grid Area")
    std::vector<TDotInfo> FDotInfo;  ///< the dot table, FDotSum + 1 records after BuildDotTable
    std::int32_t FDotIndex = 0;      ///< records filled so far
    std::int32_t FDotSum = 0;        ///< dots found
    std::int32_t MaxArea = 0;        ///< largest component of the last count
    std::int32_t TotalArea = 0;      ///< sum of the component sizes of the last count

    // Encoding state, used by the grid walk.
    std::int32_t Selected = -1;                           ///< dot picked with the mouse
    std::int32_t UncodedCount = 0;                        ///< dots left out of the net by the last walk
    std::int32_t PauseMs = 50;                            ///< pause after each encoded dot
    float ScaleX = 1.0f, ScaleY = 1.0f;                   ///< pixel scale written to the code file
    bool Highlight = true;                                ///< paint the picked dot in red
    static constexpr std::int32_t Dnx[4] = {1, 0, -1, 0}; ///< index steps of directions 0..3
    static constexpr std::int32_t Dny[4] = {0, -1, 0, 1};
    std::unique_ptr<TCoordinateSystem> Coordinates; ///< grid index -> dot number
    std::int32_t MaxX = 50, MaxY = 50;              ///< half ranges of the coordinate system
    float TolX = 0.0f, TolY = 0.0f;                 ///< current search box half-widths
    float Ratio = 1.0f;                             ///< lattice pitch along y divided by pitch along x

    /// Copies the picture and makes the backup buffer and the coordinate system. Throws
    /// "the grayimage is NULL" when the copy cannot be made, "Can not allocate backup image
    /// buffer", and the coordinate system's allocation message.
    TDotGridEncoder(const TGrayImage& image, const TDotGridEncoderOptions& options);
    ~TDotGridEncoder();
    TDotGridEncoder(const TDotGridEncoder&) = delete;
    TDotGridEncoder& operator=(const TDotGridEncoder&) = delete;

    /// Snapshot of the work image; throws "Cannot allocate more memory for BackupImage" without
    /// a backup buffer.
    void SaveBackup();
    /// Puts the snapshot back; throws "Have not  allocated memory for BackupImage" without one.
    void RestoreBackup();

    /// Erases for good every component that touches the picture border: the top and bottom
    /// pixel of each column, then the left and right pixel of each row, start fills.
    void ClearBorderDots();
    /// Fills every component in raster order: FDotSum = their number, TotalArea = their summed
    /// area, MaxArea = the largest. Erases the work image (callers wrap it in the backup).
    void CountDots();
    /// "Auto": clears the border dots, counts the rest on the backup and sets NoiseThreshold to
    /// the mean component area (0 when there is none), which it returns.
    std::int32_t AutoEvaluate();
    /// Erases for good every component smaller than NoiseThreshold (a negative threshold
    /// counts as 10) and leaves FDotSum = the components kept; the image is then drawn on the
    /// canvas. Throws "No dots in this image\nmay be you should give a small noise threshold"
    /// when no dot is left.
    void RemoveNoise(TPixelCanvas* canvas);
    /// The dot table: one record per component of at least NoiseThreshold pixels, numbered in
    /// raster order of each component's first pixel, with its grey-weighted centroid and area.
    /// The work image is left as it was. Throws "No more memory for FDotInfo" and
    /// "May be some dots are error, because FDotIndex > FDotSum".
    void BuildDotTable(TPixelCanvas* canvas);

    // Nearest-dot searches: squared distances on the float centroids, strict "less than", so the
    // lowest dot number wins a tie; -1 when no dot qualifies.
    /// Over all dots, the nearest to (x, y).
    std::int32_t NearestToPoint(float x, float y) const;
    /// The nearest dot other than k.
    std::int32_t NearestOther(std::int32_t k) const;
    /// The nearest dot with |dot.x - x| <= TolX and |dot.y - y| <= TolY, through the spatial
    /// index of the last IndexDots.
    std::int32_t NearestInBox(float x, float y) const;
    /// Indexes the current dot table for NearestInBox; the origin searches and EncodeAll do it.
    void IndexDots();

    /// The origin dot of a method (-1 when "Max Area" finds no dot of positive area).
    std::int32_t OriginByMethod(TOriginMethod method) const;
    /// Automatic origin: the nearest other dot fixes the first direction and the pitch L, the
    /// perpendicular neighbour is searched at k/3 of L (k = 1..9, on both sides), which also gives
    /// Ratio; the other two neighbours are predicted from these. Assigns the origin (0, 0) and its
    /// neighbours and returns the origin, or -1 when no perpendicular neighbour is found.
    std::int32_t FindOriginAuto(TOriginMethod method);
    /// Origin from a known ratio of pitches (y / x): all four neighbours are predicted; -1 when one
    /// of them is missing.
    std::int32_t FindOriginWithRatio(TOriginMethod method, float ratio);
    /// Origin and neighbours given by dot number (neighbours in directions 0..3, -1 = none); the
    /// origin gets (nx, ny). Returns -1, assigning nothing, when the origin or a neighbour is not a
    /// dot, when no horizontal or no vertical neighbour is given, or when their offsets give no
    /// positive finite ratio.
    std::int32_t SetOriginDirect(std::int32_t origin, const std::int32_t neighbours[4], std::int32_t nx,
                                 std::int32_t ny);
    /// Dot k gets (nx, ny) and is neted and coded; each given neighbour n[i] is linked back, coded
    /// and gets the indices one step in direction i (its earlier indices overwritten). The
    /// coordinate system records all of them (its range message when outside).
    void Assign(std::int32_t k, const std::int32_t neighbours[4], std::int32_t nx, std::int32_t ny);
    /// The dot at the indices of dot k plus the step of direction i; -1 when either index lies
    /// outside -50..50, else the coordinate system's entry (its range message outside MaxX, MaxY).
    std::int32_t Lookup(std::int32_t k, std::int32_t i) const;
    /// Grows the net from the origin in directions 0, 2, 1, 3; each reached dot finds its four
    /// neighbours (known cell, straight on, parallelogram completion or turn) and the walk goes on
    /// from it. The walk keeps its own stack. Throws "Error when encoding, Direct correct it" and
    /// "Error when Encoding, direct correct it" when the net contradicts itself (the indices given
    /// so far stay). Ends with MarkUncoded(nullptr).
    void EncodeAll(std::int32_t origin);
    /// Forgets every index, neighbour and flag of the dot table and empties the coordinate system,
    /// so a new walk starts clean on the same dots.
    void ResetCodes();

    /// Counts the dots left out of the net (not neted) into UncodedCount and returns whether there
    /// is any. With a view, it receives the work image with those dots in red and labelled.
    bool MarkUncoded(TCodeView* view);
    /// MarkUncoded's picture with every dot labelled.
    TCodeView ShowCodes();
    /// "Modify  Origin": every coded dot's indices are reduced by those of dot k (the coordinate
    /// system is left as it is). Throws "this grid are not encoded, Encode this grid first !" when
    /// dot k is not a coded dot.
    TCodeView MoveOrigin(std::int32_t k);
    /// "Modify Coord.": the selected dot gets (nx, ny), coded, and the neted flag; nothing without a
    /// selected dot. The coordinate system is left as it is.
    TCodeView ModifyCoordinate(std::int32_t nx, std::int32_t ny, bool neted);
    /// Picks the dot under the pixel (x, y): the first dot whose centroid lies within 0.01 pixel of
    /// the centroid of the component there. A background pixel clears the selection. Returns true
    /// when the picture must be redrawn (view filled: the picked dot red and labelled, or the plain
    /// picture when the selection was cleared); false when nothing changed (outside the picture,
    /// no dot matched, or the same dot again).
    bool Pick(std::int32_t x, std::int32_t y, TCodeView* view);
    /// Selects dot k (0 <= k < FDotSum) as Pick does; false when nothing changed.
    bool SelectDot(std::int32_t k, TCodeView* view);

    /// Writes the code file of the coded dots ("TAVM-FS", counts, ranges, ScaleX, ScaleY, the
    /// background, one row per coded dot, the work image's name), replacing it atomically. Throws
    /// "file open error:Can create file " + name.
    void WriteCodeFile(const std::string& name) const;
    /// What the code file holds: its header fields (no dots) and, into rows, one row per coded dot
    /// in dot order.
    TCodeFile CodeFileHeader(std::vector<TCodeRow>& rows) const;

  private:
    TComponentFill fill_;
    TNearestDotIndex index_;
    /// A view of the work image with an empty red layer.
    TCodeView PlainView() const;
    /// Label of dot k, as markUncoded writes it.
    TDotLabel LabelOf(std::int32_t k) const;
    /// Fills the component at (x, y) on the work image, marking its pixels in mask when given.
    void FillMarking(std::int32_t x, std::int32_t y, TGrayImage* mask);
    /// One step of the walk from dot a in direction d; pushes the steps that follow.
    void Step(std::int32_t a, std::int32_t d, std::vector<std::int64_t>& pending);
    /// Fills the component at (x, y) of the work image and records Area, the sums and MaxArea.
    void FillAt(std::int32_t x, std::int32_t y);
    /// Calls visit(x, y) for each non-background pixel in raster order, reading the image as it
    /// is at that moment (visit may erase pixels ahead of the scan).
    template <class Visit> void ScanComponents(Visit visit);
};

} // namespace corvane
