#include "shell/TMainForm.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/BitmapOps.h"
#include "shell/Convert.h"
#include "shell/Platform.h"
#include "shell/TAboutBox.h"
#include "shell/TMDIChildForm.h"
#include "shell/TRawOptionForm.h"
#include "shell/TToolHooks.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSettings>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>

#include <cmath>

namespace corvane::ui {

namespace {

const QString kOpenPictureFilter =
    QStringLiteral("Bitmaps (*.bmp)|*.bmp|Raw files(*.raw)|*.raw|All files( *.* ) |*.*");
const QString kSavePictureFilter =
    QStringLiteral("Bitmaps (*.bmp)|*.bmp|Raw files( *.raw )|*.raw|All files(*.*)|*.*");
const QString kOpenFilter =
    QStringLiteral("CorRelation Config Files(*.cor)|*.cor|Float Image(*.flt)|*.flt|Codes "
                   "File( *.cod )|*.cod|All files(*.*)|*.*");
const QString kSaveFilter = QStringLiteral(
    "Float Format(*.flt)|*.flt|Codes File(*.cod)|*.cod|Match Result(*.dat)|*.dat|All files(*.*)|*.*");

const QString kImageScaleGroup = QStringLiteral("Image Scale");
const QString kScaleXKey = kImageScaleGroup + QStringLiteral("/scalex");
const QString kScaleYKey = kImageScaleGroup + QStringLiteral("/scaley");
const QString kEncodeGroup = QStringLiteral("Encode Coordinate");
const QString kMaxXKey = kEncodeGroup + QStringLiteral("/Max X");
const QString kMaxYKey = kEncodeGroup + QStringLiteral("/Max Y");
constexpr int kDefaultEncodeMax = 50;

/// Writes the default encode coordinate range when the store has none yet; true when it wrote.
bool EnsureEncodeDefaults(QSettings& settings) {
    if (settings.childGroups().contains(kEncodeGroup)) return false;
    settings.setValue(kMaxXKey, kDefaultEncodeMax);
    settings.setValue(kMaxYKey, kDefaultEncodeMax);
    return true;
}

enum Menu {
    FileMenu,
    EditMenu,
    ViewMenu,
    CrossCorMenu,
    CarrierMenu,
    PhaseShiftMenu,
    PhaseMenu,
    DisplacementMenu,
    ParametersMenu,
    ToolsMenu,
    ImageMenu,
    WindowMenu,
    HelpMenu,
    MenuCount
};

struct MenuDef {
    const char* Name;
    const char* Caption;
};

constexpr MenuDef kMenus[MenuCount] = {
    {"FileMenu", "&File"},
    {"EditMenu", "&Edit"},
    {"ViewMenu", "&View"},
    {"CrossCorMenu", "C&ross_Cor"},
    {"CarrierMenu", "&Carrier"},
    {"PhaseShiftMenu", "&Phase_Shift"},
    {"PhaseMenu", "Phase"},
    {"DisplacementMenu", "Displacement"},
    {"ParametersMenu", "Parameters"},
    {"ToolsMenu", "&Tools"},
    {"ImageMenu", "Image"},
    {"WindowMenu", "&Window"},
    {"HelpMenu", "&Help"},
};

constexpr int kToolBarCount = 8;
constexpr const char* kToolBarNames[kToolBarCount] = {"FileToolBar",         "EditToolBar",    "ZoomToolBar",
                                                      "CorRelationToolBar",  "CarrierToolBar", "PhaseToolBar",
                                                      "DisplacementToolBar", "ToolsToolBar"};

/// One command of the frame. Commands whose tool window is not built yet start disabled; the tool
/// enables its action when it connects to it.
struct CommandDef {
    Menu InMenu;
    const char* Name;
    const char* Caption;
    const char* Hint; ///< "short|long", a single text for both, or null
    const char* Shortcut;
    int ToolBar; ///< -1: menu only
    bool SeparatorBefore;
    bool Ready; ///< handled by the frame itself
};

constexpr CommandDef kCommands[] = {
    {FileMenu, "FileOpenAction", "Open", "Open|Open and display an image", nullptr, 0, false, true},
    {FileMenu, "FloatFileOpenAction", "Open Float Image",
     "Open the float format file, and display it in the gray mode", nullptr, 0, false, true},
    {FileMenu, "SaveAction", "Save", "Save the current image to a file", nullptr, 0, false, true},
    {FileMenu, "FileSaveAsAction", "Save &As...", "Save As|Save current file with different name", nullptr, 0,
     false, true},
    {FileMenu, "SaveAsFloatAction", "Save As Float",
     "Save  the image to float format , the data is normalized to [-pi, pi]", nullptr, 0, false, true},
    {FileMenu, "CloseAction", "Close", "Close the current child window", nullptr, -1, false, true},
    {FileMenu, "CloseAllAction", "Close All", "Close all the Child windows", nullptr, -1, false, true},
    {FileMenu, "FileExitAction", "E&xit", "Exit|Exit application", nullptr, -1, false, true},

    {EditMenu, "EditCut1", "Cu&t", "Cut|Cuts the selection and puts it on the Clipboard", "Ctrl+X", 1, false,
     true},
    {EditMenu, "EditCopy1", "&Copy", "Copy|Copies the selection and puts it on the Clipboard", "Ctrl+C", 1,
     false, true},
    {EditMenu, "EditPaste1", "&Paste", "Paste|Inserts Clipboard contents", "Ctrl+V", 1, false, true},
    {EditMenu, "AmplifyAction", "Amplify +", "Amplify| amplify the current image", nullptr, 2, false, true},
    {EditMenu, "EditOriginalSizeAction", "Original Size", "Original Size|set the image's scale to 1", nullptr,
     2, false, true},
    {EditMenu, "ShrinkAction", "Shrink  -", "Shrink| shrink the current image", nullptr, 2, false, true},
    {EditMenu, "InvertAction", "Invert", "Invert| invert the image", nullptr, 1, false, true},
    {EditMenu, "Rotate90Action", "Rotate 90", "Rotate 90 Degree|Rotate the image 90degree, un-clockwise",
     nullptr, 1, false, true},
    {EditMenu, "FilterAction", "Filter...", "Remove the noise", nullptr, 7, false, false},

    {ViewMenu, "StatusBarAction", "Status Bar", nullptr, nullptr, -1, false, true},
    {ViewMenu, "ToolBarAction", "ToolBar", nullptr, nullptr, -1, false, true},
    {ViewMenu, "LineDistributionAction", "LineDistribution", "Show a line's gray distribution", nullptr, 7,
     false, false},
    {ViewMenu, "HistogramAction", "Histogram...", nullptr, nullptr, 7, false, false},

    {CrossCorMenu, "CorRelationAction", "CorRelation",
     "Cross CorRelation| select all cross corlation parameters visually, and then submit it to run", nullptr,
     3, false, false},
    {CrossCorMenu, "ConfigFileAction", "Config File...", "Read Config files to compute correlation", nullptr,
     3, false, false},
    {CrossCorMenu, "CorRelationStatusAction", "Show Status",
     "Show Now how many correlation computing jobs running", nullptr, 3, true, false},
    {CrossCorMenu, "GenerateModalFileAction", "Generate Modal File",
     "Generate a modal file used by the correlation computation", nullptr, -1, true, false},

    {CarrierMenu, "OneGridImageFFTAction", "One Grid Image",
     "One Grid Image FFT|carrier and information fringe in one image", nullptr, 4, false, false},
    {CarrierMenu, "TwoGridImageFFTAction", "Two Grid Image",
     "Two Grid Image FFT| carrier and information in diffrent images", nullptr, 4, false, false},
    {CarrierMenu, "GeometricMoireAction", "Geometric Moire", "using two grid image to generate a moire image",
     nullptr, -1, false, false},

    {PhaseShiftMenu, "Equal4StepAction", "Equal 4 Step Phase Shifting",
     "Equal 4 Step Phase Shifting|Equal 4 Step Phase Shifting or its Simulation", nullptr, 4, false, false},
    {PhaseShiftMenu, "PI3StepAction", "3 Step Phase Shifting  2PI/3",
     "Const 3 Step Phase Shifting| 3 Step Phase Shifting, step is equal to  2pi/3", nullptr, 4, false, false},
    {PhaseShiftMenu, "PI4StepAction", "4 Step Phase Shifting  2PI/4",
     "Const 3 Step Phase Shifting| 3 Step Phase Shifting, step is equal to  2pi/4", nullptr, 4, false, false},

    {PhaseMenu, "UnwrapAction", "Unwrap", "Unwrap|Unwrap the phase using a new method", nullptr, 5, false,
     false},
    {PhaseMenu, "SimpleUnwrapAction", "Simple Unwrap(Filter)", "Simple Unwrap| use linear scan to unwrap",
     nullptr, 5, false, false},
    {PhaseMenu, "PhaseCalculationAction", "Phase Calculation", "Select two unwrapped phase to calculation",
     nullptr, 5, false, false},
    {PhaseMenu, "AbsolutePhaseAction", "Convert To Displacement", "Convert relative phase to absolute phase",
     nullptr, 5, false, false},
    {PhaseMenu, "PseudoColorAction", "Pseudo-Color", nullptr, nullptr, 5, false, false},

    {DisplacementMenu, "StrainAction", "Strain", "compute strain from the displacement", nullptr, 6, false,
     false},
    {DisplacementMenu, "StressAction", "Stress", "compute the stress from displacment or strain", nullptr, -1,
     false, false},
    {DisplacementMenu, "MergeXandYDisplacementAction", "Sample X / Y Displacement",
     "Sample Float format file, then output the data as ASCII", nullptr, 6, false, false},

    {ParametersMenu, "MaterialParaAction", "Material Parameters",
     "input the material parameters, used when compute stress", nullptr, -1, false, false},
    {ParametersMenu, "ImageScaleAction", "Image Scale", "set or compute the scale of the image", nullptr, 6,
     false, false},

    {ToolsMenu, "FFTAction", "FFT", "FFT|use FFT to compute the spectra of an image", nullptr, 7, false,
     false},
    {ToolsMenu, "InverseFFTAction", "InverseFFT", "Inverse FFT|use FFT to compute Inverse FT of an image",
     nullptr, 7, false, false},
    {ToolsMenu, "GenerateGridAction", "Generate Grid", "Generate Grids of different type", nullptr, -1, false,
     false},
    {ToolsMenu, "PhaseToFringeAction", "Phase To Fringe",
     "Phase to Fringe| use the phase value to generate the fringe image", nullptr, -1, false, false},

    {ImageMenu, "SimpleSegmentAction", "Simple Segment", nullptr, nullptr, -1, false, false},
    {ImageMenu, "MultiSegmentAction", "Multi  Segment", nullptr, nullptr, -1, false, false},
    {ImageMenu, "SpeckleAnalysisAction", "Speckle Analysis",
     "Speckle Analysis|analysis an speckle image, and give the statics information", nullptr, -1, false,
     false},
    {ImageMenu, "EncodingAction", "Encoding", "Encoding|Encoding the normal grids", nullptr, -1, false,
     false},
    {ImageMenu, "ShowCodesAction", "Show Codes", "Show Codes|Show all the encoding result", nullptr, -1,
     false, false},
    {ImageMenu, "SaveCodesAction", "Save Codes", "Save Codes|Save to codes to a ASCII file", nullptr, -1,
     false, false},
    {ImageMenu, "MatchCodesAction", "Match Codes", "Match Codes|Match two codes file's data", nullptr, -1,
     false, false},
    {ImageMenu, "SaveMatchAction", "Save Match", "Save Match| save match result", nullptr, -1, false, false},
    {ImageMenu, "ModifyCoordinateSizeAction", "Coordinate Size",
     "Modify Coordinate Size| modify the encode coordinate system size", nullptr, -1, false, false},

    {WindowMenu, "WindowCascade1", "&Cascade", "Cascade", nullptr, -1, false, true},
    {WindowMenu, "WindowTileHorizontal1", "Tile &Horizontally", "Tile Horizontally", nullptr, -1, false,
     true},
    {WindowMenu, "WindowTileVertical1", "Tile &Vertically", "Tile Vertically", nullptr, -1, false, true},
    {WindowMenu, "WindowMinimizeAll1", "&Minimize All", "Minimize All", nullptr, -1, false, true},
    {WindowMenu, "WindowArrangeAll1", "&Arrange All", "Arrange All", nullptr, -1, false, true},

    {HelpMenu, "HelpAboutAction", "&About...",
     "About|Displays program information, version number, and copyright", nullptr, -1, false, true},
};

QString ReplaceExtension(const QString& name, const QString& extension) {
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > slash) return name.left(dot) + extension;
    return name + extension;
}

/// The workbench's icon: a few circular fringes, drawn rather than shipped as a file.
QIcon MakeFringeIcon() {
    QImage picture(32, 32, QImage::Format_RGB888);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double r = std::hypot(x - 15.5, y - 15.5);
            const int g = static_cast<int>(127.5 + 127.5 * std::cos(r * 0.9));
            picture.setPixelColor(x, y, QColor(g, g, g));
        }
    return QIcon(QPixmap::fromImage(picture));
}

std::string ToPath(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

} // namespace

struct TMainForm::Private {
    QMenu* menus[MenuCount] = {};
    QToolBar* toolBars[kToolBarCount] = {};
    std::vector<QAction*> windowListActions;
    std::vector<std::pair<QPointer<QWidget>, TToolHooks*>> hooks;
    std::vector<QPointer<QWidget>> closeGuards;
};

TMainForm::TMainForm(IDialogs& dialogs, QSettings& settings, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), settings_(settings), d_(std::make_unique<Private>()) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Corvane"));
    setWindowIcon(MakeFringeIcon());
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    CreateActions();
    CreateMenusAndToolBars();
    EnsureSettingsDefaults();
    ScaleX = settings_.value(kScaleXKey, 1.0).toDouble();
    ScaleY = settings_.value(kScaleYKey, 1.0).toDouble();

    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (!sub) return;
        if (auto* child = qobject_cast<TMDIChildForm*>(sub->widget()); child && !child->Closed())
            ActivateChild(child);
    });
    // Cut works on text fields only: enabled while one of them has the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        const bool text = qobject_cast<QLineEdit*>(now) || qobject_cast<QTextEdit*>(now) ||
                          qobject_cast<QPlainTextEdit*>(now);
        if (QAction* cut = Action(QStringLiteral("EditCut1"))) cut->setEnabled(text);
    });
    resize(1200, 900);
}

TMainForm::~TMainForm() {
    // Tool windows parented to the frame and the document windows refer to the frame; they go
    // while it is still whole.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow()) delete child;
    const auto subs = mdiArea_->subWindowList();
    for (QMdiSubWindow* sub : subs)
        delete sub;
}

void TMainForm::CreateActions() {
    for (const CommandDef& def : kCommands) {
        auto* action = new QAction(QString::fromLatin1(def.Caption), this);
        action->setObjectName(QString::fromLatin1(def.Name));
        if (def.Hint) {
            const QString hint = QString::fromLatin1(def.Hint);
            const qsizetype bar = hint.indexOf(QLatin1Char('|'));
            action->setToolTip(bar < 0 ? hint : hint.left(bar));
            action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
        }
        if (def.Shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(def.Shortcut)));
        action->setEnabled(def.Ready);
    }
    Action(QStringLiteral("EditCut1"))->setEnabled(false);
    QAction* status = Action(QStringLiteral("StatusBarAction"));
    status->setCheckable(true);
    status->setChecked(true);
    QAction* toolBar = Action(QStringLiteral("ToolBarAction"));
    toolBar->setCheckable(true);
    toolBar->setChecked(true);

    // Tool bar buttons carry short labels so that the eight bars fit in two rows; the menus keep
    // the full captions.
    static constexpr std::pair<const char*, const char*> kButtonTexts[] = {
        {"FloatFileOpenAction", "Open Float"},
        {"SaveAsFloatAction", "Save Float"},
        {"FileSaveAsAction", "Save As"},
        {"Rotate90Action", "Rotate"},
        {"AmplifyAction", "+"},
        {"EditOriginalSizeAction", "1:1"},
        {"ShrinkAction", "-"},
        {"ConfigFileAction", "Config"},
        {"CorRelationStatusAction", "Status"},
        {"OneGridImageFFTAction", "One Grid"},
        {"TwoGridImageFFTAction", "Two Grid"},
        {"Equal4StepAction", "E4S"},
        {"PI3StepAction", "C3S"},
        {"PI4StepAction", "C4S"},
        {"SimpleUnwrapAction", "Simple Unwrap"},
        {"PhaseCalculationAction", "Phase Calc"},
        {"AbsolutePhaseAction", "To Displacement"},
        {"MergeXandYDisplacementAction", "Sample X/Y"},
        {"ImageScaleAction", "Scale"},
        {"LineDistributionAction", "Line"},
        {"HistogramAction", "Histogram"},
        {"InverseFFTAction", "IFFT"},
        {"FilterAction", "Filter"},
    };
    for (const auto& [name, text] : kButtonTexts)
        Action(QString::fromLatin1(name))->setIconText(QString::fromLatin1(text));

    auto bind = [this](const char* name, void (TMainForm::*handler)()) {
        connect(Action(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    bind("FileOpenAction", &TMainForm::FileOpenActionExecute);
    bind("FloatFileOpenAction", &TMainForm::FloatFileOpenActionExecute);
    bind("SaveAction", &TMainForm::SaveActionExecute);
    bind("FileSaveAsAction", &TMainForm::FileSaveAsActionExecute);
    bind("SaveAsFloatAction", &TMainForm::SaveAsFloatActionExecute);
    bind("CloseAction", &TMainForm::CloseActionExecute);
    bind("CloseAllAction", &TMainForm::CloseAllActionExecute);
    bind("FileExitAction", &TMainForm::FileExitActionExecute);
    bind("EditCut1", &TMainForm::EditCut1Execute);
    bind("EditCopy1", &TMainForm::EditCopy1Execute);
    bind("EditPaste1", &TMainForm::EditPaste1Execute);
    bind("AmplifyAction", &TMainForm::AmplifyActionExecute);
    bind("EditOriginalSizeAction", &TMainForm::EditOriginalSizeActionExecute);
    bind("ShrinkAction", &TMainForm::ShrinkActionExecute);
    bind("InvertAction", &TMainForm::InvertActionExecute);
    bind("Rotate90Action", &TMainForm::Rotate90ActionExecute);
    bind("StatusBarAction", &TMainForm::StatusBarActionExecute);
    bind("ToolBarAction", &TMainForm::ToolBarActionExecute);
    bind("WindowCascade1", &TMainForm::WindowCascade1Execute);
    bind("WindowTileHorizontal1", &TMainForm::WindowTileHorizontal1Execute);
    bind("WindowTileVertical1", &TMainForm::WindowTileVertical1Execute);
    bind("WindowMinimizeAll1", &TMainForm::WindowMinimizeAll1Execute);
    bind("WindowArrangeAll1", &TMainForm::WindowArrangeAll1Execute);
    bind("HelpAboutAction", &TMainForm::HelpAboutActionExecute);
}

void TMainForm::CreateMenusAndToolBars() {
    for (int m = 0; m < MenuCount; ++m) {
        d_->menus[m] = menuBar()->addMenu(QString::fromLatin1(kMenus[m].Caption));
        d_->menus[m]->setObjectName(QString::fromLatin1(kMenus[m].Name));
    }
    // Two rows: the file, edit, zoom, correlation and tools bars, then the fringe, phase and
    // displacement bars.
    for (int t : {0, 1, 2, 3, 7, -1, 4, 5, 6}) {
        if (t < 0) {
            addToolBarBreak();
            continue;
        }
        d_->toolBars[t] = addToolBar(QString::fromLatin1(kToolBarNames[t]));
        d_->toolBars[t]->setObjectName(QString::fromLatin1(kToolBarNames[t]));
        d_->toolBars[t]->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    for (const CommandDef& def : kCommands) {
        QAction* action = Action(QString::fromLatin1(def.Name));
        if (def.SeparatorBefore) d_->menus[def.InMenu]->addSeparator();
        d_->menus[def.InMenu]->addAction(action);
        if (def.ToolBar >= 0) d_->toolBars[def.ToolBar]->addAction(action);
    }
    // The window list follows the arrangement commands.
    QMenu* windowMenu = d_->menus[WindowMenu];
    connect(windowMenu, &QMenu::aboutToShow, this, [this, windowMenu] {
        for (QAction* old : d_->windowListActions) {
            windowMenu->removeAction(old);
            old->deleteLater();
        }
        d_->windowListActions.clear();
        const int count = MDIChildCount();
        if (count > 0) d_->windowListActions.push_back(windowMenu->addSeparator());
        TMDIChildForm* active = ActiveMDIChild();
        for (int i = 0; i < count; ++i) {
            TMDIChildForm* child = MDIChild(i);
            // A "&" of the caption is shown as itself, not taken as an accelerator mark.
            QString caption = child->Caption();
            caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
            QAction* item = windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
            item->setCheckable(true);
            item->setChecked(child == active);
            QPointer<QMdiSubWindow> sub = child->SubWindow();
            connect(item, &QAction::triggered, this, [this, sub] {
                if (sub) mdiArea_->setActiveSubWindow(sub);
            });
            d_->windowListActions.push_back(item);
        }
    });
}

void TMainForm::EnsureSettingsDefaults() {
    if (!settings_.childGroups().contains(kImageScaleGroup)) {
        settings_.setValue(kScaleXKey, 1.0);
        settings_.setValue(kScaleYKey, 1.0);
    }
    EnsureEncodeDefaults(settings_);
    settings_.sync();
}

void TMainForm::ReadEncodeCoordinate(int& maxX, int& maxY) const {
    if (EnsureEncodeDefaults(settings_)) settings_.sync();
    maxX = settings_.value(kMaxXKey, kDefaultEncodeMax).toInt();
    maxY = settings_.value(kMaxYKey, kDefaultEncodeMax).toInt();
}

QAction* TMainForm::Action(const QString& objectName) const {
    return findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

// ---- document windows ---------------------------------------------------------------------------

namespace {

/// The document window a sub window holds, or null when it holds none or that one is closed.
TMDIChildForm* LiveChildOf(const QMdiSubWindow* sub) {
    auto* child = qobject_cast<TMDIChildForm*>(sub->widget());
    return child && !child->Closed() ? child : nullptr;
}

std::vector<TMDIChildForm*> LiveChildren(const QMdiArea* area) {
    std::vector<TMDIChildForm*> result;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (TMDIChildForm* child = LiveChildOf(sub)) result.push_back(child);
    return result;
}

} // namespace

int TMainForm::MDIChildCount() const {
    return static_cast<int>(LiveChildren(mdiArea_).size());
}

TMDIChildForm* TMainForm::MDIChild(int index) const {
    const auto children = LiveChildren(mdiArea_);
    if (index < 0 || index >= static_cast<int>(children.size())) return nullptr;
    return children[static_cast<std::size_t>(index)];
}

TMDIChildForm* TMainForm::ActiveMDIChild() const {
    if (QMdiSubWindow* sub = mdiArea_->currentSubWindow())
        if (TMDIChildForm* child = LiveChildOf(sub)) return child;
    // Without an activated window (the frame is in the background) the topmost one counts.
    const auto stack = mdiArea_->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if (TMDIChildForm* child = LiveChildOf(*it)) return child;
    return nullptr;
}

int TMainForm::FindMDIChild(const QString& caption) const {
    const auto children = LiveChildren(mdiArea_);
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i]->Caption() == caption) return static_cast<int>(i);
    return -1;
}

int TMainForm::PrepareMDIChild(const QString& caption, int width, int height) {
    const int index = FindMDIChild(caption);
    if (index < 0) return -1;
    TMDIChildForm* child = MDIChild(index);
    if (QMdiSubWindow* sub = child->SubWindow(); sub && (sub->isMinimized() || sub->isMaximized()))
        sub->showNormal();
    child->x1_ = child->y1_ = child->x2_ = child->y2_ = 0;
    if (child->MarqueeShown()) child->ToggleMarquee();
    QImage blank(std::max(0, width), std::max(0, height), QImage::Format_RGB888);
    if (blank.isNull() && width > 0 && height > 0) throw std::bad_alloc();
    blank.fill(Qt::white);
    child->zoom_ = 1;
    child->SetBitmap(blank);
    child->FitClientArea(QSize(std::max(0, width), std::max(0, height)));
    return index;
}

void TMainForm::CreateMDIChild(const QString& name) {
    const std::string path = ToPath(name);
    const std::string extension = corvane::LowerExtension(path);
    std::unique_ptr<TGrayImage> image;
    if (corvane::FileExists(path) && extension == ".bmp") {
        image = std::make_unique<TGrayImage>(path);
    } else if (corvane::FileExists(path) && extension == ".raw") {
        TRawOptionForm form(dialogs_, name, this);
        if (dialogs_.ExecModal(form) != QDialog::Accepted) return;
        TGrayImage::RawDescription raw;
        raw.FileName = path;
        raw.Header = StrToInt(form.HeaderEdit->text());
        raw.Width = StrToInt(form.WidthEdit->text());
        raw.Height = StrToInt(form.HeightEdit->text());
        // Negative or overflowing sizes are refused by the grey image with their own message.
        image = std::make_unique<TGrayImage>(raw);
    }
    QImage bitmap;
    if (image) {
        bitmap = QImage(image->Width, image->Height, QImage::Format_RGB888);
        if (bitmap.isNull() && image->Width > 0 && image->Height > 0) throw std::bad_alloc();
        PaintGrayIntoBitmap(*image, bitmap);
        image.reset();
    }
    auto* child = new TMDIChildForm(*this, name);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    if (!bitmap.isNull()) child->SetBitmap(bitmap);
    sub->show();
    if (!bitmap.isNull()) child->FitClientArea(child->ShownSize());
    // A window that does not fit where the area placed it starts near the top-left corner instead,
    // cascaded, so that its title bar and the top of its picture are in view.
    if (!mdiArea_->viewport()->rect().contains(sub->geometry())) {
        const int step = (MDIChildCount() - 1) % 8 * 24;
        sub->move(step, step);
    }
    mdiArea_->setActiveSubWindow(sub);
}

TMDIChildForm* TMainForm::ShowInRole(const QString& caption, const TGrayImage& image) {
    int index = PrepareMDIChild(caption, image.Width, image.Height);
    if (index < 0) {
        CreateMDIChild(caption);
        index = PrepareMDIChild(caption, image.Width, image.Height);
    }
    TMDIChildForm* child = MDIChild(index);
    if (!child) return nullptr;
    DrawGrayImage(image, *child);
    return child;
}

void TMainForm::ActivateChild(TMDIChildForm* child) {
    for (TToolHooks* hooks : VisibleToolHooks())
        RunGuarded(dialogs_, [&] { hooks->DocumentActivated(*child); });
}

void TMainForm::RegisterToolHooks(QWidget* toolWindow, TToolHooks* hooks) {
    d_->hooks.emplace_back(toolWindow, hooks);
}

std::vector<TToolHooks*> TMainForm::VisibleToolHooks() const {
    std::vector<TToolHooks*> result;
    for (const auto& [window, hooks] : d_->hooks)
        if (window && window->isVisible() && hooks) result.push_back(hooks);
    return result;
}

void TMainForm::AddCloseGuard(QWidget* toolWindow) {
    d_->closeGuards.emplace_back(toolWindow);
}

bool TMainForm::DocumentsCloseOnlyMinimize() const {
    for (const auto& window : d_->closeGuards)
        if (window && window->isVisible()) return true;
    return false;
}

void TMainForm::ShowStatusHint(const QString& text) {
    statusBar()->showMessage(text);
}

// ---- exit ---------------------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* event) {
    bool confirmed = false;
    RunGuarded(dialogs_, [&] {
        confirmed = dialogs_.WarningYesNo(QStringLiteral("Do you really want to Exit ?"));
        if (confirmed) {
            settings_.setValue(kScaleXKey, ScaleX);
            settings_.setValue(kScaleYKey, ScaleY);
            settings_.sync();
        }
    });
    if (!confirmed) {
        event->ignore();
        return;
    }
    event->accept();
    emit ExitAccepted();
}

// ---- File commands ------------------------------------------------------------------------------

void TMainForm::FileOpenActionExecute() {
    RunGuarded(dialogs_, [&] {
        FileDialogRequest request;
        request.Filter = kOpenPictureFilter;
        request.FilterIndex = 1;
        request.DefaultExt = QStringLiteral("*.bmp");
        const auto chosen = dialogs_.OpenFile(request);
        if (!chosen) return;
        CreateMDIChild(chosen->FileName);
    });
}

void TMainForm::FloatFileOpenActionExecute() {
    RunGuarded(dialogs_, [&] {
        FileDialogRequest request;
        request.Filter = kOpenFilter;
        request.FilterIndex = 2;
        request.DefaultExt = QStringLiteral("*.cor");
        const auto chosen = dialogs_.OpenFile(request);
        if (!chosen) return;
        const QString name = chosen->FileName;
        QDir::setCurrent(QFileInfo(name).absolutePath());
        std::unique_ptr<TGrayImage> gray;
        {
            const TFloatImage map(ToPath(name));
            map.ToGrayImage(gray);
        }
        if (gray) ShowInRole(name, *gray);
    });
}

std::optional<QString> TMainForm::AskSavePictureName() {
    FileDialogRequest request;
    request.Filter = kSavePictureFilter;
    request.FilterIndex = 1;
    request.DefaultExt = QStringLiteral("*.bmp");
    const auto chosen = dialogs_.SaveFile(request);
    if (!chosen) return std::nullopt;
    return chosen->FileName;
}

void TMainForm::SaveChild(TMDIChildForm& child, const QString& fileName, bool replaceExtensionWithRaw) {
    const std::string path = ToPath(fileName);
    if (corvane::LowerExtension(path) == ".bmp") {
        SaveBitmapAsBmp(child.Bitmap(), path);
        return;
    }
    const QString written =
        replaceExtensionWithRaw ? ReplaceExtension(fileName, QStringLiteral(".raw")) : fileName;
    std::unique_ptr<TGrayImage> gray;
    child.GetGrayImage(gray);
    gray->SaveToFile(ToPath(written));
    dialogs_.Information(QStringLiteral("The Raw File's Information:\n Header, Width, Height\n 0,  ") +
                         QString::number(gray->Width) + QStringLiteral(",  ") +
                         QString::number(gray->Height) + QStringLiteral("\n") + fileName);
}

void TMainForm::SaveActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child) return;
        QString name = child->Caption();
        if (!corvane::FileExists(ToPath(name))) {
            const auto chosen = AskSavePictureName();
            if (!chosen) return;
            name = *chosen;
        }
        SaveChild(*child, name, true);
    });
}

void TMainForm::FileSaveAsActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child) return;
        const auto chosen = AskSavePictureName();
        if (!chosen) return;
        SaveChild(*child, *chosen, false);
    });
}

void TMainForm::SaveAsFloatActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child) return;
        FileDialogRequest request;
        request.Title = QStringLiteral("Save image to Float");
        request.Filter = kSaveFilter;
        request.FilterIndex = 1;
        request.DefaultExt = QStringLiteral("*.flt");
        const auto chosen = dialogs_.SaveFile(request);
        if (!chosen) return;
        TFloatImage map(nullptr, child->Bitmap().width(), child->Bitmap().height());
        BitmapToPhaseMap(child->Bitmap(), map);
        map.SaveFlt(ToPath(chosen->FileName));
    });
}

void TMainForm::CloseActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild())
            if (QMdiSubWindow* sub = child->SubWindow()) sub->close();
    });
}

void TMainForm::CloseAllActionExecute() {
    RunGuarded(dialogs_, [&] {
        for (TMDIChildForm* child : LiveChildren(mdiArea_))
            if (QMdiSubWindow* sub = child->SubWindow()) sub->close();
    });
}

void TMainForm::FileExitActionExecute() {
    RunGuarded(dialogs_, [&] { close(); });
}

// ---- Edit commands ------------------------------------------------------------------------------

void TMainForm::EditCut1Execute() {
    RunGuarded(dialogs_, [&] {
        QWidget* focused = QApplication::focusWidget();
        if (auto* line = qobject_cast<QLineEdit*>(focused))
            line->cut();
        else if (auto* text = qobject_cast<QTextEdit*>(focused))
            text->cut();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(focused))
            plain->cut();
    });
}

void TMainForm::EditCopy1Execute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child || child->Bitmap().isNull()) return;
        QGuiApplication::clipboard()->setImage(child->Bitmap());
    });
}

void TMainForm::EditPaste1Execute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child) return;
        const QImage image = QGuiApplication::clipboard()->image();
        if (image.isNull()) return;
        child->SetBitmap(image);
    });
}

void TMainForm::AmplifyActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild()) child->Amplify();
    });
}

void TMainForm::EditOriginalSizeActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild()) child->OriginalSize();
    });
}

void TMainForm::ShrinkActionExecute() {
    RunGuarded(dialogs_, [&] {
        if (TMDIChildForm* child = ActiveMDIChild()) child->Shrink();
    });
}

void TMainForm::InvertActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child || child->Bitmap().isNull()) return;
        QImage bitmap = child->Bitmap();
        InvertBitmap(bitmap);
        child->bitmap_ = bitmap;
        child->Picture()->update();
    });
}

void TMainForm::Rotate90ActionExecute() {
    RunGuarded(dialogs_, [&] {
        TMDIChildForm* child = ActiveMDIChild();
        if (!child || child->Bitmap().isNull()) return;
        child->SetBitmap(Rotate90Bitmap(child->Bitmap()));
    });
}

// ---- View, Window and Help ----------------------------------------------------------------------

void TMainForm::StatusBarActionExecute() {
    RunGuarded(dialogs_,
               [&] { statusBar()->setVisible(Action(QStringLiteral("StatusBarAction"))->isChecked()); });
}

void TMainForm::ToolBarActionExecute() {
    RunGuarded(dialogs_, [&] {
        const bool visible = Action(QStringLiteral("ToolBarAction"))->isChecked();
        for (QToolBar* bar : d_->toolBars)
            bar->setVisible(visible);
    });
}

void TMainForm::WindowCascade1Execute() {
    RunGuarded(dialogs_, [&] { mdiArea_->cascadeSubWindows(); });
}

namespace {

/// Lays the open (not minimised) document windows out in equal strips: rows when stacked,
/// columns otherwise.
void TileStrips(QMdiArea* area, bool stacked) {
    std::vector<QMdiSubWindow*> subs;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (LiveChildOf(sub) && !sub->isMinimized()) subs.push_back(sub);
    if (subs.empty()) return;
    const QRect area_rect = area->viewport()->rect();
    const int n = static_cast<int>(subs.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = subs[static_cast<std::size_t>(i)];
        if (sub->isMaximized()) sub->showNormal();
        if (stacked) {
            const int top = area_rect.height() * i / n;
            const int bottom = area_rect.height() * (i + 1) / n;
            sub->setGeometry(0, top, area_rect.width(), bottom - top);
        } else {
            const int left = area_rect.width() * i / n;
            const int right = area_rect.width() * (i + 1) / n;
            sub->setGeometry(left, 0, right - left, area_rect.height());
        }
    }
}

} // namespace

void TMainForm::WindowTileHorizontal1Execute() {
    RunGuarded(dialogs_, [&] { TileStrips(mdiArea_, true); });
}

void TMainForm::WindowTileVertical1Execute() {
    RunGuarded(dialogs_, [&] { TileStrips(mdiArea_, false); });
}

void TMainForm::WindowMinimizeAll1Execute() {
    RunGuarded(dialogs_, [&] {
        for (TMDIChildForm* child : LiveChildren(mdiArea_))
            if (QMdiSubWindow* sub = child->SubWindow()) sub->showMinimized();
    });
}

void TMainForm::WindowArrangeAll1Execute() {
    RunGuarded(dialogs_, [&] {
        // Minimised windows line up along the bottom edge, left to right.
        const QRect viewport = mdiArea_->viewport()->rect();
        int x = 0;
        int y = viewport.bottom() + 1;
        for (TMDIChildForm* child : LiveChildren(mdiArea_)) {
            QMdiSubWindow* sub = child->SubWindow();
            if (!sub || !sub->isMinimized()) continue;
            const QSize size = sub->size();
            if (x > 0 && x + size.width() > viewport.width()) {
                x = 0;
                y -= size.height();
            }
            sub->move(x, y - size.height());
            x += size.width();
        }
    });
}

void TMainForm::HelpAboutActionExecute() {
    RunGuarded(dialogs_, [&] {
        TAboutBox box(this);
        dialogs_.ExecModal(box);
    });
}

} // namespace corvane::ui
