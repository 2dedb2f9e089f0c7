#pragma once
#include <memory>

namespace corvane {
class TGrayImage;
struct TCodeView;
struct TEncodeSession;
} // namespace corvane

namespace corvane::ui {

class TMDIChildForm;
struct TPictureOverlay;

// What a document window keeps for the encoding tools. The session (encoder, origin mode, "Set
// Origin" slots, encoded flag) lives in the window's CodeObject and goes with the window.

/// The window's encode session, made on first use.
TEncodeSession& EncodeSessionOf(TMDIChildForm& window);
/// The window's encode session, or null when it has none.
TEncodeSession* FindEncodeSession(TMDIChildForm& window);

/// The picture an encode of the window starts from: a grey copy of the window's picture, unless the
/// window still shows what ShowCodeView last put there (the cleaned picture, border and small
/// components removed); then the picture the previous encode started from.
std::unique_ptr<TGrayImage> EncodeSourcePicture(TMDIChildForm& window);

/// Shows an encoder's view in the window: the cleaned picture as its pixels, the red dots and the
/// labels as its overlay (screen resolution, never in the pixels, so Save writes a clean picture).
void ShowCodeView(TMDIChildForm& window, const TCodeView& view);

/// The overlay of a view: its red pixels as marks, a label at each labelled dot's centroid.
TPictureOverlay OverlayOf(const TCodeView& view);

} // namespace corvane::ui
