// The options window: switching panels from the category tree, the colour
// swatches, the Flash check box and what showing the window copies.
#include "canvas/ElementGeometry.h"
#include "canvas/SkinFile.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "options/CategoryTree.h"
#include "options/ColourSwatch.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TCheckBox.h"
#include "tests/support/EditorFixture.h"

#include <QTest>

namespace {

const QStringList kFormNames = {"О программе", "Настройки", "Заголовок", "Музыка", "Цветовые параметры", "Разное"};

// The node of the tree by its place: top-level row, and child row or -1.
QTreeWidgetItem* node(TfrmSize& window, int row, int child = -1)
{
    QTreeWidgetItem* item = window.treeMain->topLevelItem(row);
    return child < 0 ? item : item->child(child);
}

void clickNode(TfrmSize& window, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton)
{
    window.treeMain->expandAll();
    const QRect place = window.treeMain->visualItemRect(item);
    QTest::mouseClick(window.treeMain->viewport(), button, {}, place.center());
}

// The panels that show, by name, bottom to top.
QStringList shownPanels(const TfrmSize& window)
{
    QStringList shown;
    for (QObject* child : window.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget->objectName().startsWith("pnl") && !widget->isHidden())
            shown.append(widget->objectName());
    }
    return shown;
}

} // namespace

class TestTfrmSize : public QObject {
    Q_OBJECT

    // The options window shown, its tree built from the form's category names.
    TfrmSize& showNamedTree()
    {
        TfrmSize& window = fixture_->start(Editor::Start::Linked).frmSize;
        window.setCategoryNames(kFormNames);
        window.rebuildTree();
        window.show();
        return window;
    }

private slots:
    void init() { fixture_ = std::make_unique<EditorFixture>(); }
    void cleanup() { fixture_.reset(); }

    void withoutCategoryNamesEveryClickEmptiesThePanels()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TfrmSize& window = editor.frmSize;
        window.show();
        QCOMPARE(shownPanels(window), QStringList{"pnlAbout"});
        QCOMPARE(window.treeMain->topLevelItem(0)->text(0), kFormNames[0]);
        QVERIFY(!node(window, 1)->isExpanded());

        clickNode(window, node(window, 0));
        QCOMPARE(shownPanels(window), QStringList{});
        clickNode(window, node(window, 1, 2));
        QCOMPARE(shownPanels(window), QStringList{});
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void categoryNamesChooseThePanel_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("child");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("about") << 0 << -1 << QStringList{"pnlAbout"};
        QTest::newRow("settings") << 1 << -1 << QStringList{"pnlTitle"};
        QTest::newRow("title") << 1 << 0 << QStringList{"pnlTitle"};
        QTest::newRow("music") << 1 << 1 << QStringList{"pnlMusic"};
        QTest::newRow("colours") << 1 << 2 << QStringList{"pnlColor"};
        QTest::newRow("miscellaneous") << 1 << 3 << QStringList{"pnlLogo"};
    }
    void categoryNamesChooseThePanel()
    {
        QFETCH(int, row);
        QFETCH(int, child);
        QFETCH(QStringList, shown);
        TfrmSize& window = showNamedTree();
        // Start from another panel, so that every panel is switched.
        clickNode(window, node(window, 1, 3));
        clickNode(window, node(window, row, child));
        QCOMPARE(shownPanels(window), shown);
    }

    void keyboardSelectionSwitchesNothing()
    {
        TfrmSize& window = showNamedTree();
        clickNode(window, node(window, 0));
        QTest::keyClick(window.treeMain, Qt::Key_Down);
        QCOMPARE(window.treeMain->currentItem(), node(window, 1));
        QCOMPARE(shownPanels(window), QStringList{"pnlAbout"});
        // A click on the tree's empty part takes the selected node.
        QTest::mouseClick(window.treeMain->viewport(), Qt::LeftButton, {}, QPoint(100, 190));
        QCOMPARE(shownPanels(window), QStringList{"pnlTitle"});
    }

    // Only the left button selects: a right or middle press on another node
    // leaves the selection, so the next click on the empty part keeps the panel.
    void otherButtonsSelectNothing()
    {
        TfrmSize& window = showNamedTree();
        clickNode(window, node(window, 1, 1));
        for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::BackButton})
            clickNode(window, node(window, 1, 2), button);
        QCOMPARE(window.treeMain->selectedItems(), QList<QTreeWidgetItem*>{node(window, 1, 1)});
        QTest::mouseClick(window.treeMain->viewport(), Qt::LeftButton, {}, QPoint(100, 190));
        QCOMPARE(shownPanels(window), QStringList{"pnlMusic"});
    }

    // Collapsing "Настройки" around its selected child selects the node, as
    // the platform's tree does: the click on the expand button shows its
    // panel; any other collapse selects it and switches nothing.
    void collapsingAroundTheSelectedChildSelectsTheNode()
    {
        TfrmSize& window = showNamedTree();
        clickNode(window, node(window, 1, 1));
        QCOMPARE(shownPanels(window), QStringList{"pnlMusic"});
        const QRect settings = window.treeMain->visualItemRect(node(window, 1));
        const QPoint expandButton(settings.left() - window.treeMain->indentation() / 2, settings.center().y());
        QTest::mouseClick(window.treeMain->viewport(), Qt::LeftButton, {}, expandButton);
        QVERIFY(!node(window, 1)->isExpanded());
        QCOMPARE(window.treeMain->selectedItems(), QList<QTreeWidgetItem*>{node(window, 1)});
        QCOMPARE(shownPanels(window), QStringList{"pnlTitle"});

        clickNode(window, node(window, 1, 2));
        QTest::keyClick(window.treeMain, Qt::Key_Down);
        QCOMPARE(window.treeMain->currentItem(), node(window, 1, 3));
        window.treeMain->collapseItem(node(window, 1));
        QCOMPARE(window.treeMain->selectedItems(), QList<QTreeWidgetItem*>{node(window, 1)});
        QCOMPARE(shownPanels(window), QStringList{"pnlColor"});
    }

    void aCloseRequestLeavesTheWindowOpen()
    {
        TfrmSize& window = fixture_->start(Editor::Start::Linked).frmSize;
        window.show();
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
    }

    void sharedNamesShowBothPanelsTheLaterOnTop()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TfrmSize& window = editor.frmSize;
        window.setCategoryNames({"About", "Settings", "Title", "Same", "Same", "Misc"});
        window.rebuildTree();
        window.show();
        clickNode(window, node(window, 1, 1));
        QCOMPARE(shownPanels(window), (QStringList{"pnlMusic", "pnlColor"}));
        clickNode(window, node(window, 1, 2));
        QCOMPARE(shownPanels(window), (QStringList{"pnlMusic", "pnlColor"}));
    }

    void missingNamesMatchTheEmptyNodes()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TfrmSize& window = editor.frmSize;
        // A language file without keys "3" and "5".
        window.setCategoryNames({"About", "Settings", "", "Music", "", "Misc"});
        window.rebuildTree();
        window.show();
        QCOMPARE(node(window, 1, 0)->text(0), QString());
        QCOMPARE(node(window, 1, 2)->text(0), QString());
        QVERIFY(!node(window, 1)->isExpanded());
        clickNode(window, node(window, 1, 0));
        QCOMPARE(shownPanels(window), (QStringList{"pnlTitle", "pnlColor"}));
        clickNode(window, node(window, 1, 2));
        QCOMPARE(shownPanels(window), (QStringList{"pnlTitle", "pnlColor"}));
        clickNode(window, node(window, 1, 1));
        QCOMPARE(shownPanels(window), QStringList{"pnlMusic"});
    }

    void swatchConfirmedTakesTheColour_data()
    {
        QTest::addColumn<QString>("swatchName");
        QTest::newRow("flash") << "lblFlash";
        QTest::newRow("font") << "lblFontColor";
        QTest::newRow("info") << "lblInfo";
        QTest::newRow("tree") << "lblDir";
    }
    void swatchConfirmedTakesTheColour()
    {
        QFETCH(QString, swatchName);
        Editor& editor = fixture_->start(Editor::Start::Linked);
        ColourSwatch* swatch = swatchOf(editor, swatchName);
        swatch->setColor(0x00102030);
        fixture_->dialogs.colourAnswers.enqueue(TColor(0x00405060));
        QTest::mouseClick(swatch, Qt::LeftButton);
        QCOMPARE(fixture_->dialogs.colourPresets, QList<TColor>{0x00102030});
        QCOMPARE(swatch->color(), TColor(0x00405060));
        QCOMPARE(targetOf(editor, swatchName), TColor(0x00405060));
        // The dialog keeps the last colour as its own.
        QCOMPARE(editor.frmSize.dlgChangeColor.Color, TColor(0x00405060));
    }

    void swatchCancelledStillColoursTheCanvas_data() { swatchConfirmedTakesTheColour_data(); }
    void swatchCancelledStillColoursTheCanvas()
    {
        QFETCH(QString, swatchName);
        Editor& editor = fixture_->start(Editor::Start::Linked);
        ColourSwatch* swatch = swatchOf(editor, swatchName);
        swatch->setColor(Colours::BtnText);
        QTest::mouseClick(swatch, Qt::LeftButton); // no answer queued: cancelled
        QCOMPARE(fixture_->dialogs.colourPresets, QList<TColor>{Colours::BtnText});
        QCOMPARE(swatch->color(), Colours::BtnText);
        QCOMPARE(targetOf(editor, swatchName), Colours::BtnText);
    }

    void showingCopiesTheCanvasColours()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TForm1& f = editor.Form1;
        TfrmSize& window = editor.frmSize;
        window.FormCreate();
        QCOMPARE(window.lblSetka->color(), Colours::GridDefault);
        QCOMPARE(window.lblFontColor->color(), Colours::BtnText);
        f.lstDir->setColor(0x00010101);
        f.txtInfo->setColor(0x00020202);
        f.TmpFlash->setColor(0x00030303);
        window.show();
        QCOMPARE(window.lblDir->color(), TColor(0x00010101));
        QCOMPARE(window.lblInfo->color(), TColor(0x00020202));
        QCOMPARE(window.lblFlash->color(), TColor(0x00030303));
        QCOMPARE(window.lblFontColor->color(), Colours::BtnText);
        QCOMPARE(window.lblSetka->color(), Colours::GridDefault);
        QVERIFY(Element::isVisible(f.imgWel));
        QVERIFY(!Element::isVisible(f.TmpFlash));
        // Every showing copies them again.
        window.hide();
        f.lstDir->setColor(0x00040404);
        window.show();
        QCOMPARE(window.lblDir->color(), TColor(0x00040404));
    }

    void flashCheckBoxClickedByTheUser()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TForm1& f = editor.Form1;
        TfrmSize& window = editor.frmSize;
        window.show();
        window.pnlTitle->show();
        QTest::mouseClick(window.chkFlash, Qt::LeftButton);
        QVERIFY(window.chkFlash->isChecked());
        QVERIFY(!Element::isVisible(f.imgWel));
        QVERIFY(Element::isVisible(f.TmpFlash));

        // A Flash preview on screen: the player stands in for the area.
        Element::setVisible(f.TmpFlash, false);
        Element::setVisible(f.FlashPlayer, true);
        QTest::mouseClick(window.chkFlash, Qt::LeftButton);
        QVERIFY(!window.chkFlash->isChecked());
        QVERIFY(Element::isVisible(f.imgWel));
        QVERIFY(!Element::isVisible(f.TmpFlash));
        QVERIFY(!Element::isVisible(f.FlashPlayer));

        QTest::mouseClick(window.chkFlash, Qt::LeftButton);
        QVERIFY(Element::isVisible(f.TmpFlash));
        QVERIFY(!Element::isVisible(f.FlashPlayer));
    }

    void flashCheckBoxSetByTheSkinReader()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TForm1& f = editor.Form1;
        const QString path = fixture_->folder.file("\\data\\skin.ini");
        fixture_->folder.write("\\data\\skin.ini", "[Main]\r\nFlash=1\r\n");
        SkinFile::read(path, f, editor.frmSize);
        QVERIFY(editor.frmSize.chkFlash->isChecked());
        QVERIFY(!Element::isVisible(f.imgWel));
        QVERIFY(Element::isVisible(f.TmpFlash));

        // The state it already has runs nothing: the player stays.
        Element::setVisible(f.FlashPlayer, true);
        SkinFile::read(path, f, editor.frmSize);
        QVERIFY(Element::isVisible(f.FlashPlayer));

        // Showing the window afterwards leaves the Flash area shown.
        editor.frmSize.show();
        QVERIFY(Element::isVisible(f.TmpFlash));
        QVERIFY(!Element::isVisible(f.imgWel));
    }

    void miscellaneousTabOrderIsNotTopToBottom()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TfrmSize& window = editor.frmSize;
        QCOMPARE(window.chkLogoShow->nextInFocusChain(), window.chkTrans);
        QCOMPARE(window.chkTrans->nextInFocusChain(), window.chkDoForm);
        QCOMPARE(window.chkDoForm->nextInFocusChain(), window.chkStreight);
    }

private:
    ColourSwatch* swatchOf(Editor& editor, const QString& name)
    {
        TfrmSize& w = editor.frmSize;
        return name == "lblFlash"    ? w.lblFlash
            : name == "lblFontColor" ? w.lblFontColor
            : name == "lblInfo"      ? w.lblInfo
                                     : w.lblDir;
    }
    TColor targetOf(Editor& editor, const QString& name)
    {
        TForm1& f = editor.Form1;
        return name == "lblFlash"    ? f.TmpFlash->color()
            : name == "lblFontColor" ? f.lstDir->fontColor()
            : name == "lblInfo"      ? f.txtInfo->color()
                                     : f.lstDir->color();
    }

    std::unique_ptr<EditorFixture> fixture_;
};

QTEST_MAIN(TestTfrmSize)
#include "tst_tfrmsize.moc"
