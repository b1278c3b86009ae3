// The options window in the language of a language file: its caption, the
// category names and the tree built from them, and every control's text.
#include "options/TfrmSize.h"

#include "options/TLabel.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"

#include <functional>
#include <vector>

namespace {

// The controls that take the texts of keys "7" to "27", in key order; keys
// "11" and "12" serve the play and stop labels of all three players.
std::vector<std::function<void(const QString&)>> textTargets(TfrmSize& f)
{
    const auto button = [](QAbstractButton* control) {
        return [control](const QString& caption) { control->setText(caption); };
    };
    const auto labels = [](std::initializer_list<TLabel*> controls) {
        return [list = std::vector<TLabel*>(controls)](const QString& caption) {
            for (TLabel* control : list)
                control->setCaption(caption);
        };
    };
    return {
        button(f.LbSpeedButton1),                               // 7
        button(f.SpeedButton1),                                 // 8
        labels({f.lblTitle}),                                   // 9
        button(f.chkFlash),                                     // 10
        labels({f.lblPlayFlash, f.lblPlayMusic, f.lblButPlay}), // 11
        labels({f.lblStopFlash, f.lblStopMusic, f.lblButStop}), // 12
        labels({f.lblOptionsMusic}),                            // 13
        button(f.chkMusic),                                     // 14
        button(f.chkButtonsMusic),                              // 15
        labels({f.lblOptColor}),                                // 16
        button(f.chkSetka),                                     // 17
        labels({f.lblColorFlash}),                              // 18
        labels({f.lblColorGrid}),                               // 19
        labels({f.lblColorFont}),                               // 20
        labels({f.lblColorTree}),                               // 21
        labels({f.lblColorInfo}),                               // 22
        labels({f.lblOptLogo}),                                 // 23
        button(f.chkLogoShow),                                  // 24
        button(f.chkTrans),                                     // 25
        button(f.chkStreight),                                  // 26
        button(f.chkDoForm),                                    // 27
    };
}

} // namespace

void TfrmSize::applyLanguage(const LanguageFile::Texts& texts)
{
    setWindowTitle(texts.caption());
    setCategoryNames(texts.categoryNames());
    rebuildTree();
    int key = LanguageFile::kFirstControlKey;
    for (const auto& setText : textTargets(*this))
        setText(texts.byKey.value(key++));
}
