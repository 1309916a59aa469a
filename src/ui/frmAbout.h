#pragma once

#include "host/SystemInformation.h"

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QPushButton;
class QShowEvent;

namespace qv4130 {

// The numbers of the "Version" line, one 16-bit integer each.
struct VersionNumbers {
    std::int16_t majorNumber;
    std::int16_t minorNumber;
    std::int16_t revision;
};

// The numbers this program carries.
VersionNumbers ProgramVersion();

// "Version 2.0.1": each number in plain decimal, no leading zeros.
QString VersionLine(const VersionNumbers& version);

// The About box: title, version and credits, and the button that starts the
// platform's System Information tool. Fixed size; OK (Enter), Esc and the close
// box close it. Build a fresh one for every opening.
class frmAbout final : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(const SystemInformationHost& host, VersionNumbers version = ProgramVersion(),
                      QWidget* parent = nullptr);

    // Starts System Information or tells the operator it is unavailable.
    void StartSysInfo();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    SystemInformationHost host_;
    VersionNumbers version_;

    QLabel* picIcon = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
};

// Shows a fresh About box modally, owned by no window, and returns when it has
// closed. `mainWindow` is the window whose button asked for it: the box is not
// its child widget, but it is modal to that window alone.
void OpenAbout(QWidget* mainWindow, const SystemInformationHost& host);

} // namespace qv4130
