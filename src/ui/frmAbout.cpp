#include "frmAbout.h"

#include "ApplicationIcon.h"
#include "FormGeometry.h"
#include "host/AppIdentity.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QWindow>

namespace qv4130 {

namespace {
constexpr int ClientWidthTwips = 5715;
constexpr int ClientHeightTwips = 3090;

// One straight horizontal line drawn on the window, `thickness` pixels thick,
// its ends and its top edge given in twips. Lines are decoration: they take
// neither the focus nor the mouse.
class HorizontalLine final : public QWidget {
public:
    HorizontalLine(QWidget* window, int fromXTwips, int toXTwips, int yTwips, int thickness,
                   QColor colour)
        : QWidget(window), colour_(colour) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        const int left = TwipsToPixels(fromXTwips, window);
        const int right = TwipsToPixels(toXTwips, window);
        setGeometry(left, TwipsToPixels(yTwips, window), right - left + 1, thickness);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour_); }

private:
    QColor colour_;
};

QLabel* MakeLabel(QWidget* window, const char* name, const TwipsRect& rect, const QString& text) {
    auto* label = MakeControl<QLabel>(window, name, rect, text);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(FormFont());
    return label;
}

void MakeTextBlack(QLabel& label) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label.setPalette(palette);
}
} // namespace

VersionNumbers ProgramVersion() {
    return {identity::VersionMajor, identity::VersionMinor, identity::VersionRevision};
}

QString VersionLine(const VersionNumbers& version) {
    return QStringLiteral("Version %1.%2.%3")
        .arg(version.majorNumber)
        .arg(version.minorNumber)
        .arg(version.revision);
}

frmAbout::frmAbout(const SystemInformationHost& host, VersionNumbers version, QWidget* parent)
    : QDialog(parent), host_(host), version_(version) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    SetClientSizeInTwips(*this, ClientWidthTwips, ClientHeightTwips, true);
    setFont(DialogFont());
    BuildControls();
    Form_Load();
}

void frmAbout::BuildControls() {
    // Created in stacking order, which is also the tab order: later ones lie on
    // top.
    picIcon = MakeControl<QLabel>(this, "picIcon", {240, 240, 540, 540});
    picIcon->setPixmap(ApplicationIconPixmap());
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon->setFocusPolicy(Qt::StrongFocus);

    cmdOK = MakeControl<QPushButton>(this, "cmdOK", {4245, 2625, 1260, 345}, QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdSysInfo = MakeControl<QPushButton>(this, "cmdSysInfo", {240, 2640, 1245, 345},
                                          QStringLiteral("&System Info..."));

    Label4 = MakeLabel(this, "Label4", {960, 2040, 3855, 255}, QStringLiteral("www.example.com"));
    Label3 = MakeLabel(this, "Label3", {960, 1800, 3855, 255},
                       QStringLiteral("is available from our website"));
    Label2 = MakeLabel(this, "Label2", {600, 1560, 4575, 255},
                       QStringLiteral("The Latest version of all Tessaron Software"));
    Label1 = MakeLabel(this, "Label1", {960, 1080, 3855, 255},
                       QStringLiteral("Orvane Applications Group"));

    // The etched separator: a grey line with a white one a pixel below it. Both
    // belong to the one control array Line1; the index tells them apart.
    auto* shadow = new HorizontalLine(this, 90, 5654, 2445, 1, QColor(128, 128, 128));
    shadow->setObjectName(QStringLiteral("Line1"));
    shadow->setProperty("index", 1);

    lblDescription = MakeLabel(this, "lblDescription", {960, 840, 3885, 210},
                               QStringLiteral("Hardware and Software designed by the"));
    MakeTextBlack(*lblDescription);
    lblTitle = MakeLabel(this, "lblTitle", {930, 210, 3900, 255},
                         QStringLiteral("QV4130 Evaluation Board Software"));
    MakeTextBlack(*lblTitle);

    auto* highlight = new HorizontalLine(this, 105, 5654, 2460, 2, Qt::white);
    highlight->setObjectName(QStringLiteral("Line1"));
    highlight->setProperty("index", 0);

    lblVersion = MakeLabel(this, "lblVersion", {960, 435, 3885, 225}, QString());

    ChainTabOrder({cmdOK, picIcon, cmdSysInfo});
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(ApplicationTitle));
    lblVersion->setText(VersionLine(version_));
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Every opening starts centred on the whole screen, wherever it was last.
    if (!event->spontaneous()) {
        CentreOnScreen(*this);
    }
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    qv4130::StartSysInfo(host_);
}

void OpenAbout(QWidget* mainWindow, const SystemInformationHost& host) {
    frmAbout about(host);
    // Owned by no window, yet modal to the main window alone: the window
    // system is told whose box it is, so only that window is blocked.
    if (mainWindow != nullptr) {
        about.winId();
        about.windowHandle()->setTransientParent(mainWindow->window()->windowHandle());
        about.setWindowModality(Qt::WindowModal);
    }
    about.exec();
}

} // namespace qv4130
