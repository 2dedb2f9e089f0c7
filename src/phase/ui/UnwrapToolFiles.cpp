#include "phase/ui/UnwrapToolFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "shell/Platform.h"
#include "shell/TMainForm.h"

namespace corvane::ui {

QString WorkingFile(const QLabel& workingDirLabel, const QString& name) {
    if (name.isEmpty()) return {};
    return QDir(workingDirLabel.text()).filePath(name);
}

std::optional<QString> ChooseIntoWorkingDir(IDialogs& dialogs, const FileDialogRequest& request,
                                            QLineEdit& edit, QLabel& workingDirLabel) {
    const auto chosen = dialogs.OpenFile(request);
    if (!chosen) return std::nullopt;
    // The name and the folder are taken before the file is read, so a file that cannot be read
    // stays named beside its error.
    const QFileInfo info(chosen->FileName);
    edit.setText(info.fileName());
    workingDirLabel.setText(info.absolutePath());
    QDir::setCurrent(info.absolutePath());
    return info.absoluteFilePath();
}

void ShowFloatMap(TMainForm& mainForm, const QString& caption, const TFloatImage& map) {
    std::unique_ptr<TGrayImage> gray;
    map.ToGrayImage(gray);
    mainForm.ShowInRole(caption, *gray);
}

namespace {
template <typename T> T* NamedAs(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}
} // namespace

UnwrapToolPages MakeUnwrapToolPages(QWidget* tool) {
    UnwrapToolPages pages;
    pages.UnwrapPageControl = NamedAs(new QTabWidget(tool), "UnwrapPageControl");
    pages.InputPage = NamedAs(new QWidget(pages.UnwrapPageControl), "InputPage");
    pages.UnwrapPage = NamedAs(new QWidget(pages.UnwrapPageControl), "UnwrapPage");
    pages.OutputPage = NamedAs(new QWidget(pages.UnwrapPageControl), "OutputPage");
    pages.UnwrapPageControl->addTab(pages.InputPage, QStringLiteral("Input"));
    pages.UnwrapPageControl->addTab(pages.UnwrapPage, QStringLiteral("Unwrap"));
    pages.UnwrapPageControl->addTab(pages.OutputPage, QStringLiteral("Output"));

    pages.WorkingDirLabel = NamedAs(new QLabel(pages.InputPage), "WorkingDirLabel");
    pages.WorkingDirLabel->setWordWrap(true);
    pages.WorkingDirLabel->setText(QDir::currentPath());
    pages.PhaseImageSpeedButton = NamedAs(new QToolButton(pages.InputPage), "PhaseImageSpeedButton");
    pages.PhaseImageSpeedButton->setText(QStringLiteral("Phase Image(Float Format)"));
    pages.PhaseImageFileNameEdit = NamedAs(new QLineEdit(pages.InputPage), "PhaseImageFileNameEdit");
    pages.Input = new QVBoxLayout(pages.InputPage);
    pages.Input->addWidget(pages.WorkingDirLabel);
    pages.Input->addWidget(pages.PhaseImageSpeedButton);
    pages.Input->addWidget(pages.PhaseImageFileNameEdit);
    return pages;
}

QHBoxLayout* StartingPointRow(QWidget* unwrapPage, QLineEdit* xEdit, QLineEdit* yEdit) {
    auto* start = new QHBoxLayout;
    start->addWidget(new QLabel(QStringLiteral("X"), unwrapPage));
    start->addWidget(xEdit);
    start->addWidget(new QLabel(QStringLiteral("Y"), unwrapPage));
    start->addWidget(yEdit);
    return start;
}

void LayOutUnwrapTool(QWidget* tool, QTabWidget* pageControl, QPushButton* closeButton) {
    auto* layout = new QVBoxLayout(tool);
    layout->addWidget(pageControl, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
}

} // namespace corvane::ui
