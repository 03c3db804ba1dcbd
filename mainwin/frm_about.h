// The About box: the program's title, description, version, disclaimer and legal notice, all
// in the current language.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace kvr {

struct Version {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The version the build gives the program; its version resource carries the same.
Version programVersion();
// "1.5.12": the numbers as plain decimal digits.
std::string versionText(const Version& version);

class frmAbout : public ui::Form {
public:
    explicit frmAbout(Version version = programVersion());

    ui::Image imgIcono;
    ui::Label lblTitle;
    ui::Label lblVersion;
    ui::Label lblDescription;
    ui::Label lblDisclaimer;
    ui::Label lblCopyright;  // the legal notice
    ui::CommandButton cmdOK;
    // Two decorative lines, a control array.
    std::vector<std::unique_ptr<ui::Image>> Line1;

    void cmdOK_Click();

protected:
    void Form_Load() override;

private:
    Version version_;
};

}  // namespace kvr
