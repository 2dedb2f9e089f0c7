#pragma once
#include <memory>

namespace corvane {
class TGrayImage;
struct TCodeView;
struct TEncodeSession;
} // namespace corvane

namespace corvane::ui {

class TMDIChildForm;

// What a document window keeps for the encoding tools. The session (encoder, origin mode, "Set
// Origin" slots, encoded flag) lives in the window's CodeObject and goes with the window.

/// The window's encode session, made on first use.
TEncodeSession& EncodeSessionOf(TMDIChildForm& window);
/// The window's encode session, or null when it has none.
TEncodeSession* FindEncodeSession(TMDIChildForm& window);

/// The picture an encode of the window starts from: a grey copy of the window's picture, unless the
/// window still shows what ShowCodeView last put there (the cleaned picture with red dots and
/// labels); then the picture the previous encode started from, so that labels and red paint never
/// become dots of the next encode.
std::unique_ptr<TGrayImage> EncodeSourcePicture(TMDIChildForm& window);

/// Shows an encoder's view in the window: the cleaned picture, the red pixels and the labels.
void ShowCodeView(TMDIChildForm& window, const TCodeView& view);

} // namespace corvane::ui
