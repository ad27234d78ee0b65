// Drives the real wizard through an update of simulated devices and saves
// pictures of its pages: the box that says the package is missing, the file
// dialog, the welcome page, the warning, the progress page during the update
// and after it. The program's folder given holds no package; the package
// lies in the Downloads folder, where the file dialog opens. Run it under a
// display (Xvfb):
//   KT7_SIMULATE=... kt7-screenshot-driver <program dir> <picture dir>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>

#include "app/DialogFont.h"
#include "app/GuiPrompter.h"
#include "app/ProgressDialog.h"
#include "app/UpdateDialog.h"
#include "app/VornelApp.h"
#include "backends/BackendSelection.h"
#include "texts/UserTexts.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/RunContext.h"

namespace {

constexpr int kTitleHeight = 30;
constexpr int kShadow = 14;
constexpr int kProgressShotPercent = 45;

// The page with a plain title bar around it (Xvfb has no window manager to
// draw one), on a light backdrop with a soft shadow.
QImage FramedGrab(QWidget& window)
{
    const QPixmap client = window.grab();
    const QSize frame(client.width() + 2, client.height() + kTitleHeight + 1);
    QImage image(frame.width() + 2 * kShadow, frame.height() + 2 * kShadow, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xf3, 0xf5, 0xf8));

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = kShadow; i > 0; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 5));
        p.drawRoundedRect(QRectF(kShadow - i + 2, kShadow - i + 4, frame.width() + 2 * i - 4, frame.height() + 2 * i - 4),
                          6 + i, 6 + i);
    }
    const QRect outer(kShadow, kShadow, frame.width(), frame.height());
    QLinearGradient bar(outer.topLeft(), outer.topLeft() + QPoint(0, kTitleHeight));
    bar.setColorAt(0, QColor(0xfb, 0xfc, 0xfd));
    bar.setColorAt(1, QColor(0xe6, 0xe9, 0xee));
    QPainterPath titlePath;
    titlePath.addRoundedRect(QRectF(outer.x(), outer.y(), outer.width(), kTitleHeight + 8), 6, 6);
    p.fillPath(titlePath, bar);
    p.fillRect(QRect(outer.x(), outer.y() + kTitleHeight, outer.width(), outer.height() - kTitleHeight),
               QColor(0x9aa0a8));
    p.drawPixmap(outer.x() + 1, outer.y() + kTitleHeight, client);

    const QIcon icon = QApplication::windowIcon();
    p.drawPixmap(outer.x() + 8, outer.y() + 6, icon.pixmap(18, 18));
    QFont captionFont = DialogFont();
    captionFont.setPointSize(10);
    p.setFont(captionFont);
    p.setPen(QColor(0x20, 0x24, 0x2a));
    p.drawText(QRect(outer.x() + 32, outer.y(), outer.width() - 70, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft,
               window.windowTitle());
    // The close box.
    p.setPen(QPen(QColor(0x50, 0x55, 0x5c), 1.6));
    const QPointF c(outer.right() - 16, outer.y() + kTitleHeight / 2.0);
    p.drawLine(c + QPointF(-5, -5), c + QPointF(5, 5));
    p.drawLine(c + QPointF(-5, 5), c + QPointF(5, -5));
    p.setPen(QColor(0x9a, 0xa0, 0xa8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(outer).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    return image;
}

class Driver {
public:
    explicit Driver(QString pictures) : m_pictures(std::move(pictures))
    {
        m_settle.start();
        ScheduleStep();
    }

private:
    void Save(QWidget& window, const char* name)
    {
        const QString path = QDir(m_pictures).filePath(QString::fromLatin1(name));
        // Quality 0: the smallest PNG file; the picture itself is lossless.
        if (!FramedGrab(window).save(path, "PNG", 0))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        else
            std::printf("saved %s\n", qPrintable(path));
    }

    // Lets a newly shown window paint before it is photographed.
    bool Settled(QWidget* window)
    {
        if (window != m_lastWindow) {
            m_lastWindow = window;
            m_settle.restart();
        }
        return m_settle.elapsed() > 400;
    }

    // A fresh timer for every step: a step that presses a button runs the next
    // page's modal loop inside it, and a timer does not fire again while its
    // own handler runs.
    void ScheduleStep()
    {
        QTimer::singleShot(50, [this] { Step(); });
    }

    void Step()
    {
        ScheduleStep();
        QWidget* window = QApplication::activeModalWidget();
        if (!window || !window->isVisible() || !Settled(window))
            return;
        if (auto* dialog = dynamic_cast<QFileDialog*>(window)) {
            if (m_fileChosen) {
                std::fprintf(stderr, "the file dialog did not take %s\n", qPrintable(dialog->selectedFiles().value(0)));
                dialog->reject();
                return;
            }
            // As typed: selectFile leaves a name box that has the focus alone.
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(QStringLiteral("KT7_Down.dat"));
            QCoreApplication::processEvents();
            Save(*dialog, "file-dialog.png");
            m_fileChosen = true;
            QMetaObject::invokeMethod(dialog, "accept");
        } else if (auto* welcome = dynamic_cast<CUpdateDialog*>(window)) {
            Save(*welcome, "welcome.png");
            welcome->NextButton()->click();
        } else if (auto* box = dynamic_cast<QMessageBox*>(window)) {
            QString name = QStringLiteral("message-%1.png").arg(++m_messages);
            if (box->icon() == QMessageBox::Warning)
                name = QStringLiteral("warning.png");
            // The message is the box's first line; the file and the reason follow.
            else if (box->text().startsWith(QString::fromUtf8(kMsgCannotOpenPackage)))
                name = QStringLiteral("failure.png");
            Save(*box, qPrintable(name));
            box->button(QMessageBox::Ok)->click();
        } else if (auto* page = dynamic_cast<CProgressDialog*>(window)) {
            if (!m_bootloaderSaved &&
                page->StatusLabel()->text() == QString::fromUtf8(kRefreshingBootloaderText)) {
                Save(*page, "bootloader.png");
                m_bootloaderSaved = true;
            }
            if (!m_progressSaved && page->ProgressBar()->value() >= kProgressShotPercent) {
                Save(*page, "progress.png");
                m_progressSaved = true;
            }
            if (page->ExitButton()->isEnabled()) {
                Save(*page, "finished.png");
                page->ExitButton()->click();
            }
        }
    }

    QString m_pictures;
    QElapsedTimer m_settle;
    QWidget* m_lastWindow = nullptr;
    bool m_progressSaved = false;
    bool m_bootloaderSaved = false;
    bool m_fileChosen = false;
    int m_messages = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <program dir> <picture dir>\n", argv[0]);
        return 2;
    }
    QApplication::setFont(DialogFont());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kt7/icon.png")));
    SteadyClock clock;
    NullDiagnostics log;
    std::string error;
    std::unique_ptr<HidBackend> backend = CreateHidBackend(clock, log, &error);
    if (!backend) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    GuiPrompter prompter;
    RunContext context{*backend, clock, prompter, log};
    const WizardSetup setup{context, {"", argv[1], ""}, false, "", kWatchPeriodMs};

    Driver driver(QString::fromLocal8Bit(argv[2]));
    CVornelApp app(setup);
    return app.InitInstance();
}
