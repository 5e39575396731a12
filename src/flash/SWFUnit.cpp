#include "flash/SWFUnit.h"

#include "flash/SWFExport.h"
#include "flash/SWFPreviewUnit.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <unistd.h>

namespace {

const char* const SWFFilter = "Flash Movie File (*.swf)|*.swf";
const char* const TemporaryMovieName = "TmpSWF.swf";

QLabel* AddLabel(QWidget* parent, const char* text, int x, int y) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, const char* accessible,
                       QRect at) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString::fromLatin1(accessible));
    button->setGeometry(at);
    return button;
}

// True when a file can be made in dir: tried, since permissions alone do not
// tell (a read-only mount, or root before a folder like /proc).
bool CanCreateFilesIn(const std::string& dir) {
    std::string probe = (std::filesystem::path(dir) / ".TmpSWF-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

} // namespace

std::string TemporaryMoviePath(const std::string& programDir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!programDir.empty() && fs::is_directory(programDir, ec) && CanCreateFilesIn(programDir))
        return (fs::path(programDir) / TemporaryMovieName).string();
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return (fs::path(cache.toStdString()) / TemporaryMovieName).string();
}

TSWFForm::TSWFForm(const TGIFData& document, TDialogs& dialogs, std::string programDir, QWidget* parent)
    : QDialog(parent), FDocument(document), FDialogs(dialogs), FProgramDir(std::move(programDir)),
      FBackground(RGB(255, 255, 255)) {
    setObjectName(QStringLiteral("SWFForm"));
    setWindowTitle(QStringLiteral("Save As Flash Movie (SWF)"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(437, 114);

    AddLabel(this, "Background Color: ", 16, 20);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(132, 12, 90, 30);
    ScrollBox1 = new QFrame(Panel1);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAccessibleName(QStringLiteral("Background colour"));
    ScrollBox1->setGeometry(3, 3, 84, 24);
    ScrollBox1->setAutoFillBackground(true);
    ScrollBox1->setCursor(Qt::PointingHandCursor);
    ScrollBox1->installEventFilter(this);
    Button4 = AddButton(this, "Button4", "Select Color...", "Select Color...", QRect(232, 12, 110, 30));

    AddLabel(this, "Speed:", 16, 66);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setAccessibleName(QStringLiteral("Speed"));
    SpinEdit1->setRange(1, 999);
    SpinEdit1->setValue(6);
    SpinEdit1->setGeometry(132, 58, 70, 30);
    AddLabel(this, "Frame Per Second", 210, 66);

    Button1 = AddButton(this, "Button1", "&Save...", "Save...", QRect(352, 8, 77, 28));
    Button1->setDefault(true);
    Button2 = AddButton(this, "Button2", "&Preview...", "Preview...", QRect(352, 42, 77, 28));
    Button3 = AddButton(this, "Button3", "&Cancel", "Cancel", QRect(352, 76, 77, 28));
    connect(Button4, &QPushButton::clicked, this, &TSWFForm::Button4Click);
    connect(Button1, &QPushButton::clicked, this, &TSWFForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSWFForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TSWFForm::Button3Click);
    SetBackgroundColor(FBackground);
}

bool TSWFForm::Execute() {
    if (FDocument.Frames.empty()) return false;
    SpinEdit1->setValue(ProposedFrameRate(FDocument));
    FResult = false;
    FDialogs.ShowModal(*this);
    return FResult;
}

void TSWFForm::SetBackgroundColor(TColor color) {
    FBackground = color;
    QPalette swatch = ScrollBox1->palette();
    swatch.setColor(QPalette::Window, QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    ScrollBox1->setPalette(swatch);
}

int TSWFForm::FrameRate() const {
    // A number typed but not yet confirmed counts; the box keeps it in 1..999.
    SpinEdit1->interpretText();
    return SpinEdit1->value();
}

template <class F> bool TSWFForm::Guarded(F work) {
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
        FDialogs.MessageDlg("There is not enough memory to make the movie.", "Error", mtError, mbOK);
    } catch (const std::exception& e) {
        FDialogs.MessageDlg(e.what(), "Error", mtError, mbOK);
    }
    return false;
}

void TSWFForm::Export(const std::string& path) {
    ExportSWF(FDocument, FBackground, FrameRate(), path);
}

void TSWFForm::Button4Click() {
    TColor color = FBackground;
    if (FDialogs.ChooseColor(color) && color != FBackground) SetBackgroundColor(color);
}

void TSWFForm::Button1Click() {
    TFileDialogOptions options;
    options.Filter = SWFFilter;
    // A bare name becomes a movie file: "name.swf".
    options.DefaultExt = "swf";
    const std::string path = FDialogs.SaveDialog(options);
    if (path.empty()) return;
    if (!Guarded([&] { Export(path); })) return;
    FResult = true;
    accept();
}

void TSWFForm::Button2Click() {
    const std::string path = TemporaryMoviePath(FProgramDir);
    if (!Guarded([&] { Export(path); })) return;
    FPreviewFileName = path;
    ShowPreview(path, FDocument.ScreenWidth, FDocument.ScreenHeight, FDialogs, this);
}

void TSWFForm::Button3Click() {
    reject();
}

bool TSWFForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1 && event->type() == QEvent::MouseButtonRelease) {
        Button4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TSWFForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, as the preview window is.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}
