#pragma once

#include "options/DialogComponents.h"
#include "settings/LanguageFile.h"

#include <QIcon>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class TForm1;
class TSpeedButton;
class TCheckBox;
class TLabel;
class TBevel;
class TMediaPlayer;
class CategoryTree;
class ClickableImage;
class ColourSwatch;
class QTreeWidgetItem;

// The options window: a small tool window that floats above the canvas,
// with the category tree on the left, one panel per category on the right
// (all at the same place, one showing at a time) and the Save and Exit
// buttons at the bottom right. Its check boxes hold the skin's options and
// its colour swatches colour the canvas elements.
class TfrmSize : public QWidget {
    Q_OBJECT

public:
    explicit TfrmSize(TForm1& form1);
    ~TfrmSize() override;

    // The categories, in the order of their names (and of the tree's nodes).
    enum Category { About, Settings, Title, Music, Colours, Miscellaneous, CategoryCount };
    static_assert(CategoryCount == LanguageFile::kCategoryCount);

    // Controls on the window, in creation order (later ones lie above).
    TSpeedButton* LbSpeedButton1;                 // "Сохранить ": the Save command
    TSpeedButton* SpeedButton1;                   // "Выход": the Exit command
    const std::unique_ptr<TMediaPlayer> plrMedia; // the hidden sound player
    CategoryTree* treeMain;
    QWidget* pnlAbout;
    QWidget* pnlTitle;
    QWidget* pnlMusic;
    QWidget* pnlColor;
    QWidget* pnlLogo;

    // pnlAbout
    ClickableImage* Image3;
    TLabel* Label2;
    TLabel* Label5;
    ClickableImage* Image4;
    ClickableImage* Image5;

    // pnlTitle
    ClickableImage* imdStop;
    ClickableImage* imgPlay;
    TLabel* lblTitle;
    TLabel* lblPlayFlash;
    TLabel* lblStopFlash;
    TCheckBox* chkFlash;

    // pnlMusic
    ClickableImage* imgMusicPlay;
    ClickableImage* imgMusicStop;
    TLabel* lblOptionsMusic;
    TLabel* lblPlayMusic;
    TLabel* lblStopMusic;
    TBevel* Bevel4;
    TLabel* lblButStop;
    ClickableImage* Image1;
    TLabel* lblButPlay;
    ClickableImage* Image2;
    TSpeedButton* btnBrowMusic;
    TSpeedButton* btnButtonMusic;
    TCheckBox* chkMusic;
    TCheckBox* chkButtonsMusic;
    TCheckBox* chkLoop;

    // pnlColor
    TLabel* lblOptColor;
    ColourSwatch* lblSetka;
    ColourSwatch* lblFlash;
    TLabel* lblColorFlash;
    TLabel* lblColorGrid;
    ColourSwatch* lblDir;
    ColourSwatch* lblInfo;
    ColourSwatch* lblFontColor;
    TLabel* lblColorFont;
    TLabel* lblColorInfo;
    TLabel* lblColorTree;
    TCheckBox* chkSetka;

    // pnlLogo
    TLabel* lblOptLogo;
    TBevel* Bevel7;
    TCheckBox* chkLogoShow;
    TCheckBox* chkTrans;
    TCheckBox* chkDoForm;
    TCheckBox* chkStreight;

    // Components without a place of their own.
    TColorDialog dlgChangeColor;  // shared by the swatches and the grid
    TFileDialog svDlgFile;        // the Save command's dialog
    TFileDialog dlgOpenMusicFile; // the sound import's dialog
    QList<QIcon> ImageList1;      // picture 0: the tree's house

    // The six category names, in Category order. Empty until a language
    // file is accepted; they, not the node texts, decide which panel a click
    // in the tree shows.
    QStringList CategoryNames;
    // Sets the six names (missing ones become empty, extra ones are dropped).
    void setCategoryNames(const QStringList& names);
    // Replaces the tree's nodes by six of the same shape with the category
    // names as texts: two top-level nodes, the second (collapsed) with four
    // children.
    void rebuildTree();
    // Builds the tree with the given six node texts (the form's own at
    // creation).
    void buildTree(const QStringList& nodeTexts);
    // Takes the caption, the category names (rebuilding the tree) and every
    // control's text from an accepted language file (TfrmSizeLanguage.cpp).
    void applyLanguage(const LanguageFile::Texts& texts);

    // Behaviours.
    void FormCreate();
    void FormShow();
    void treeMainClick();
    void lblFlashClick();
    void lblFontColorClick();
    void lblInfoClick();
    void lblDirClick1();
    void chkFlashClick();
    // The alignment grid (TfrmSizeGrid.cpp).
    void chkSetkaClick();
    void lblSetkaClick();
    // Save and Exit (TfrmSizeSaveExit.cpp).
    void LbSpeedButton1Click();
    void SpeedButton1Click();
    // The title movie's preview (TfrmSizeFlashPreview.cpp).
    void imgPlayClick();
    void imdStopClick();
    // The intro music and the button sound: play and stop
    // (TfrmSizeSoundPreview.cpp), import (TfrmSizeSoundImport.cpp).
    void imgMusicPlayClick();
    void imgMusicStopClick();
    void Image2Click();
    void Image1Click();
    void btnBrowMusicClick();
    void btnButtonMusicClick();

protected:
    void showEvent(QShowEvent* event) override;
    // The window lives until the program ends: a close request of the window
    // system is refused, so Save and Exit stay within reach.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createAboutPanel();
    void createTitlePanel();
    void createMusicPanel();
    void createColourPanel();
    void createLogoPanel();
    // Connects each control's events to its behaviour, one line a control.
    void connectBehaviours();
    // The one rule of the colour swatches; `applyToCanvas` gives the
    // swatch's target the swatch's colour.
    void runSwatch(ColourSwatch* swatch, const std::function<void(TColor)>& applyToCanvas);

    TForm1& Form1;
};
