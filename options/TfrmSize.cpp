#include "options/TfrmSize.h"

#include "base/Application.h"
#include "base/ProgramFolder.h"
#include "canvas/ElementGeometry.h"
#include "canvas/TForm1.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "options/CategoryTree.h"
#include "options/ClassicMetricsStyle.h"
#include "options/ClickableImage.h"
#include "options/ColourSwatch.h"
#include "options/EditorSettings.h"
#include "options/OptionsArtwork.h"
#include "options/TBevel.h"
#include "options/TLabel.h"
#include "platform/MediaPlayer.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"
#include "platform/WindowFont.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QShowEvent>

namespace {

template <typename Control>
Control* place(Control* control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, width, height);
    return control;
}

// Labels are as wide as their text: only their place is given.
TLabel* label(const QString& caption, QWidget* panel, int left, int top)
{
    auto* text = new TLabel(caption, panel);
    text->move(left, top);
    return text;
}

ClickableImage* picture(const QPixmap& pixmap, QWidget* panel, int left, int top, int width, int height)
{
    auto* image = place(new ClickableImage(panel), left, top, width, height);
    image->setPicture(pixmap);
    return image;
}

ColourSwatch* swatch(TColor colour, QWidget* panel, int left, int top)
{
    auto* colourSwatch = new ColourSwatch(colour, panel);
    colourSwatch->move(left, top);
    return colourSwatch;
}

TSpeedButton* boldButton(const QString& caption, QWidget* panel, int left, int top, int width, int height)
{
    auto* button = place(new TSpeedButton(caption, panel), left, top, width, height);
    QFont bold = button->font();
    bold.setBold(true);
    button->setFont(bold);
    return button;
}

QWidget* panel(QWidget* window, TColor colour)
{
    auto* area = place(new QWidget(window), 216, 8, 201, 169);
    QPalette colours = area->palette();
    colours.setColor(QPalette::Window, displayColour(colour));
    area->setPalette(colours);
    area->setAutoFillBackground(true);
    return area;
}

// The tree's node texts as the window defines them.
QStringList formNodeTexts()
{
    return {QStringLiteral("О программе"), QStringLiteral("Настройки"),          QStringLiteral("Заголовок"),
            QStringLiteral("Музыка"),      QStringLiteral("Цветовые параметры"), QStringLiteral("Разное")};
}

} // namespace

TfrmSize::TfrmSize(TForm1& form1)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      plrMedia(std::make_unique<TMediaPlayer>()),
      svDlgFile(TFileDialog::Kind::Save, {QStringLiteral("All Files    (*.*)")}),
      dlgOpenMusicFile(TFileDialog::Kind::Open,
                       {QStringLiteral("mp3 File   (*.mp3)"), QStringLiteral("Wav File  (*.wav)"),
                        QStringLiteral("All Files    (*.*)")}),
      CategoryNames(CategoryCount), Form1(form1)
{
    setObjectName(QStringLiteral("frmSize"));
    setWindowTitle(QStringLiteral("....::::Corvadine::::...."));
    setFixedSize(426, 204);

    setFont(windowFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, displayColour(Colours::FormFace));
    colours.setColor(QPalette::WindowText, displayColour(Colours::WindowText));
    setPalette(colours);
    setAutoFillBackground(true);

    const QPixmap house = OptionsArtwork::houseIcon();
    QIcon houseIcon(house);
    houseIcon.addPixmap(house, QIcon::Selected);
    ImageList1 = {houseIcon};

    createControls();
    connectBehaviours();

    // The check boxes and the tree keep the classic spacings, so that every
    // text fits its control.
    auto* classic = new ClassicMetricsStyle;
    classic->setParent(this);
    treeMain->setStyle(classic);
    for (QCheckBox* box : findChildren<QCheckBox*>())
        box->setStyle(classic);
}

TfrmSize::~TfrmSize() = default;

void TfrmSize::createControls()
{
    LbSpeedButton1 = place(new TSpeedButton(QStringLiteral("Сохранить "), this), 216, 177, 97, 24);
    SpeedButton1 = place(new TSpeedButton(QStringLiteral("Выход"), this), 320, 177, 105, 24);
    // plrMedia (312, 81, 253 x 20 on the form) is never visible: it has no
    // control here.

    treeMain = place(new CategoryTree(this), 2, 2, 207, 199);
    treeMain->setIndentation(35);
    buildTree(formNodeTexts());

    pnlAbout = panel(this, Colours::FormFace);
    pnlTitle = panel(this, Colours::BtnFace);
    pnlMusic = panel(this, Colours::BtnFace);
    pnlColor = panel(this, Colours::BtnFace);
    pnlLogo = panel(this, Colours::BtnFace);
    const QList<QWidget*> panels = {pnlAbout, pnlTitle, pnlMusic, pnlColor, pnlLogo};
    const QStringList panelNames = {"pnlAbout", "pnlTitle", "pnlMusic", "pnlColor", "pnlLogo"};
    for (int i = 0; i < panels.size(); ++i) {
        panels[i]->setObjectName(panelNames[i]);
        panels[i]->setVisible(panels[i] == pnlAbout);
    }

    createAboutPanel();
    createTitlePanel();
    createMusicPanel();
    createColourPanel();
    createLogoPanel();
}

void TfrmSize::createAboutPanel()
{
    Image3 = picture(OptionsArtwork::aboutBanner(), pnlAbout, 8, 56, 175, 47);
    Label2 = label(OptionsArtwork::versionLine(), pnlAbout, 112, 96);
    Label5 = label(OptionsArtwork::purposeLine(), pnlAbout, 96, 152);
    Image4 = picture(OptionsArtwork::aboutEmblem(), pnlAbout, 0, 0, 89, 65);
    Image4->setProportional(true);
    Image5 = picture(OptionsArtwork::aboutWordmark(), pnlAbout, 88, 8, 105, 33);
    Image5->setProportional(true);
}

void TfrmSize::createTitlePanel()
{
    const QPixmap play = OptionsArtwork::playIcon();
    const QPixmap stop = OptionsArtwork::stopIcon();
    imdStop = picture(stop, pnlTitle, 8, 105, 32, 32);
    imgPlay = picture(play, pnlTitle, 8, 64, 33, 33);
    lblTitle = label(QStringLiteral("Параметры заголовка"), pnlTitle, 32, 8);
    lblPlayFlash = label(QStringLiteral("Играть"), pnlTitle, 48, 72);
    lblStopFlash = label(QStringLiteral("Остановить"), pnlTitle, 48, 112);
    chkFlash = place(new TCheckBox(QStringLiteral("Flash вместо bmp"), pnlTitle), 8, 40, 193, 17);
}

void TfrmSize::createMusicPanel()
{
    const QPixmap play = OptionsArtwork::playIcon();
    const QPixmap stop = OptionsArtwork::stopIcon();
    imgMusicPlay = picture(play, pnlMusic, 8, 40, 33, 33);
    imgMusicStop = picture(stop, pnlMusic, 97, 41, 32, 32);
    lblOptionsMusic = label(QStringLiteral("Музыкальные настройки"), pnlMusic, 40, 0);
    lblPlayMusic = label(QStringLiteral("Проиграть"), pnlMusic, 40, 48);
    lblStopMusic = label(QStringLiteral("Остановить"), pnlMusic, 128, 48);
    Bevel4 = place(new TBevel(pnlMusic), 8, 81, 185, 8);
    lblButStop = label(QStringLiteral("Остановить"), pnlMusic, 128, 120);
    Image1 = picture(stop, pnlMusic, 97, 113, 32, 32);
    lblButPlay = label(QStringLiteral("Проиграть"), pnlMusic, 40, 120);
    Image2 = picture(play, pnlMusic, 8, 112, 33, 33);
    btnBrowMusic = boldButton(QStringLiteral("..."), pnlMusic, 168, 64, 23, 14);
    btnButtonMusic = boldButton(QStringLiteral("..."), pnlMusic, 168, 144, 23, 22);
    chkMusic = place(new TCheckBox(QStringLiteral("Игратью вступительную мелодию"), pnlMusic), 4, 24, 197, 17);
    chkButtonsMusic = place(new TCheckBox(QStringLiteral("Озвучивать кнопки"), pnlMusic), 8, 88, 185, 17);
    chkLoop = place(new TCheckBox(QStringLiteral("Непрерывно"), pnlMusic), 8, 149, 89, 12);
    chkLoop->hide();
}

void TfrmSize::createColourPanel()
{
    lblOptColor = label(QStringLiteral("Настройки цвета"), pnlColor, 40, 8);
    lblSetka = swatch(Colours::White, pnlColor, 8, 80);
    lblFlash = swatch(Colours::White, pnlColor, 8, 56);
    lblColorFlash = label(QStringLiteral("Цвет для Flash"), pnlColor, 39, 60);
    lblColorGrid = label(QStringLiteral("Цвет сетки"), pnlColor, 40, 84);
    lblDir = swatch(Colours::White, pnlColor, 8, 152);
    lblInfo = swatch(Colours::White, pnlColor, 8, 128);
    lblFontColor = swatch(Colours::BtnText, pnlColor, 8, 104);
    lblColorFont = label(QStringLiteral("Цвет шрифта "), pnlColor, 35, 108);
    lblColorInfo = label(QStringLiteral("Цвет INFO"), pnlColor, 36, 132);
    lblColorTree = label(QStringLiteral("Цвет дерева"), pnlColor, 33, 156);
    chkSetka = place(new TCheckBox(QStringLiteral("Сетка"), pnlColor), 8, 32, 129, 17);
    chkSetka->setToolTip(QStringLiteral("Вкл/выкл сетку"));
    // The form's state: no click behaviour is connected yet.
    chkSetka->setChecked(true);
}

void TfrmSize::createLogoPanel()
{
    lblOptLogo = label(QStringLiteral("Разное"), pnlLogo, 40, 8);
    Bevel7 = place(new TBevel(pnlLogo), 8, 97, 185, 8);
    chkLogoShow = place(new TCheckBox(QStringLiteral("Показывать логотип"), pnlLogo), 8, 33, 185, 17);
    chkTrans = place(new TCheckBox(QStringLiteral("Прозрачность"), pnlLogo), 8, 57, 185, 17);
    chkDoForm = place(new TCheckBox(QStringLiteral("Формировать форму"), pnlLogo), 8, 105, 185, 17);
    chkStreight = place(new TCheckBox(QStringLiteral("Подгонять размер"), pnlLogo), 8, 80, 185, 17);
    // Creation order already gives this tab order; it is not top to bottom.
    setTabOrder(chkLogoShow, chkTrans);
    setTabOrder(chkTrans, chkDoForm);
    setTabOrder(chkDoForm, chkStreight);
}

void TfrmSize::connectBehaviours()
{
    using Application::behaviour;
    // Controls with a signal run their behaviour through the behaviour
    // runner; a check box runs its click behaviour itself (on a user click
    // through the runner, on a change in code directly).
    connect(treeMain, &CategoryTree::clicked, this, behaviour([this] { treeMainClick(); }));
    connect(lblFlash, &ColourSwatch::clicked, this, behaviour([this] { lblFlashClick(); }));
    connect(lblFontColor, &ColourSwatch::clicked, this, behaviour([this] { lblFontColorClick(); }));
    connect(lblInfo, &ColourSwatch::clicked, this, behaviour([this] { lblInfoClick(); }));
    connect(lblDir, &ColourSwatch::clicked, this, behaviour([this] { lblDirClick1(); }));
    chkFlash->setOnClick([this] { chkFlashClick(); });
    chkSetka->setOnClick([this] { chkSetkaClick(); });
    connect(lblSetka, &ColourSwatch::clicked, this, behaviour([this] { lblSetkaClick(); }));
    connect(LbSpeedButton1, &TSpeedButton::clicked, this, behaviour([this] { LbSpeedButton1Click(); }));
    connect(SpeedButton1, &TSpeedButton::clicked, this, behaviour([this] { SpeedButton1Click(); }));
    connect(imgPlay, &ClickableImage::clicked, this, behaviour([this] { imgPlayClick(); }));
    connect(imdStop, &ClickableImage::clicked, this, behaviour([this] { imdStopClick(); }));
    connect(imgMusicPlay, &ClickableImage::clicked, this, behaviour([this] { imgMusicPlayClick(); }));
    connect(imgMusicStop, &ClickableImage::clicked, this, behaviour([this] { imgMusicStopClick(); }));
    connect(Image2, &ClickableImage::clicked, this, behaviour([this] { Image2Click(); }));
    connect(Image1, &ClickableImage::clicked, this, behaviour([this] { Image1Click(); }));
    connect(btnBrowMusic, &TSpeedButton::clicked, this, behaviour([this] { btnBrowMusicClick(); }));
    connect(btnButtonMusic, &TSpeedButton::clicked, this, behaviour([this] { btnButtonMusicClick(); }));
}

void TfrmSize::setCategoryNames(const QStringList& names)
{
    for (int i = 0; i < CategoryCount; ++i)
        CategoryNames[i] = names.value(i);
}

void TfrmSize::rebuildTree() { buildTree(CategoryNames); }

void TfrmSize::buildTree(const QStringList& nodeTexts)
{
    treeMain->clear();
    const auto node = [this](QTreeWidgetItem* item) {
        item->setIcon(0, ImageList1.value(0));
        return item;
    };
    node(new QTreeWidgetItem(treeMain, {nodeTexts.value(About)}));
    QTreeWidgetItem* settings = node(new QTreeWidgetItem(treeMain, {nodeTexts.value(Settings)}));
    for (int child = Title; child <= Miscellaneous; ++child)
        node(new QTreeWidgetItem(settings, {nodeTexts.value(child)}));
    settings->setExpanded(false);
}

void TfrmSize::FormCreate()
{
    // 1. The grid's default colour, which the editor settings may replace.
    lblSetka->setColor(Colours::GridDefault);
    // 2. The editor settings (Options.ini): window places, grid and language.
    EditorSettings::read(EditorSettings::path(), Form1, *this);
    // 3. The grid state, applied to the canvas as a click on chkSetka does.
    chkSetkaClick();
}

void TfrmSize::FormShow()
{
    const bool flash = chkFlash->isChecked();
    Element::setVisible(Form1.imgWel, !flash);
    Element::setVisible(Form1.TmpFlash, flash);
    lblDir->setColor(Form1.lstDir->color());
    lblInfo->setColor(Form1.txtInfo->color());
    lblFlash->setColor(Form1.TmpFlash->color());
}

void TfrmSize::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Shown by the editor, not restored by the window system.
    if (!event->spontaneous())
        Application::runBehaviour([this] { FormShow(); });
}

void TfrmSize::closeEvent(QCloseEvent* event)
{
    // Ending the desktop session closes every window; that is not refused.
    if (qApp->isSavingSession())
        event->accept();
    else
        event->ignore();
}

void TfrmSize::treeMainClick()
{
    const QList<QTreeWidgetItem*> selected = treeMain->selectedItems();
    // Nothing to switch to while no node is selected.
    if (selected.isEmpty())
        return;
    const QString text = selected.first()->text(0);
    const auto is = [&](Category category) { return text == CategoryNames[category]; };
    pnlTitle->setVisible(is(Settings) || is(Title));
    pnlColor->setVisible(is(Colours));
    pnlLogo->setVisible(is(Miscellaneous));
    pnlMusic->setVisible(is(Music));
    pnlAbout->setVisible(is(About));
}

void TfrmSize::runSwatch(ColourSwatch* swatch, const std::function<void(TColor)>& applyToCanvas)
{
    dlgChangeColor.Color = swatch->color();
    if (dlgChangeColor.Execute())
        swatch->setColor(dlgChangeColor.Color);
    // Cancelled or not, the canvas takes the swatch's colour.
    applyToCanvas(swatch->color());
}

void TfrmSize::lblFlashClick()
{
    runSwatch(lblFlash, [this](TColor colour) { Form1.TmpFlash->setColor(colour); });
}

void TfrmSize::lblFontColorClick()
{
    runSwatch(lblFontColor, [this](TColor colour) { Form1.lstDir->setFontColor(colour); });
}

void TfrmSize::lblInfoClick()
{
    runSwatch(lblInfo, [this](TColor colour) { Form1.txtInfo->setColor(colour); });
}

void TfrmSize::lblDirClick1()
{
    runSwatch(lblDir, [this](TColor colour) { Form1.lstDir->setColor(colour); });
}

void TfrmSize::chkFlashClick()
{
    if (chkFlash->isChecked()) {
        Element::setVisible(Form1.imgWel, false);
        Element::setVisible(Form1.TmpFlash, true);
    } else {
        Element::setVisible(Form1.TmpFlash, false);
        Element::setVisible(Form1.imgWel, true);
        // Ends the display of a Flash preview.
        Element::setVisible(Form1.FlashPlayer, false);
    }
}
