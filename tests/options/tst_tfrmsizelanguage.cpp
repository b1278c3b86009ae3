// The options window in the language of a language file: where each text
// goes, and the tree the category names rebuild.
#include "options/CategoryTree.h"
#include "options/TLabel.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"
#include "tests/support/EditorFixture.h"

#include <QFile>
#include <QTest>
#include <QTreeWidget>

namespace {

LanguageFile::Texts shipped(const QString& name)
{
    const auto texts = LanguageFile::read(QStringLiteral(SKINEDIT_LANGUAGE_DIR "/") + name);
    return texts ? *texts : LanguageFile::Texts{};
}

// Every text a language file can replace, in key order ("11" and "12"
// each three times), after the caption and the tree's nodes.
QStringList texts(const TfrmSize& f)
{
    QStringList all{f.windowTitle()};
    for (int i = 0; i < f.treeMain->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = f.treeMain->topLevelItem(i);
        all << node->text(0);
        for (int c = 0; c < node->childCount(); ++c)
            all << node->child(c)->text(0);
    }
    all << f.LbSpeedButton1->text() << f.SpeedButton1->text() << f.lblTitle->text() << f.chkFlash->text()
        << f.lblPlayFlash->text() << f.lblPlayMusic->text() << f.lblButPlay->text() << f.lblStopFlash->text()
        << f.lblStopMusic->text() << f.lblButStop->text() << f.lblOptionsMusic->text() << f.chkMusic->text()
        << f.chkButtonsMusic->text() << f.lblOptColor->text() << f.chkSetka->text() << f.lblColorFlash->text()
        << f.lblColorGrid->text() << f.lblColorFont->text() << f.lblColorTree->text() << f.lblColorInfo->text()
        << f.lblOptLogo->text() << f.chkLogoShow->text() << f.chkTrans->text() << f.chkStreight->text()
        << f.chkDoForm->text();
    return all;
}

// The texts of the window that do not fit their controls at the window's
// own sizes: check boxes and buttons narrower than their text, labels that
// run past their panel's edge, and tree nodes wider than the tree.
QStringList textsThatDoNotFit(TfrmSize& f)
{
    QStringList misfits;
    for (const QAbstractButton* button : f.findChildren<QAbstractButton*>()) {
        if (!button->isHidden() && button->sizeHint().width() > button->width())
            misfits << QStringLiteral("%1 \"%2\" needs %3 of %4 pixels")
                           .arg(button->objectName(), button->text())
                           .arg(button->sizeHint().width())
                           .arg(button->width());
    }
    for (const TLabel* label : f.findChildren<TLabel*>()) {
        const int room = label->parentWidget()->width() - label->x();
        if (label->width() > room)
            misfits << QStringLiteral("label \"%1\" needs %2 of %3 pixels")
                           .arg(label->text())
                           .arg(label->width())
                           .arg(room);
    }
    QTreeWidget* tree = f.treeMain;
    tree->expandAll();
    // The option the view gives its delegate.
    QStyleOptionViewItem option;
    option.initFrom(tree);
    option.widget = tree;
    option.font = tree->font();
    const int iconSide = tree->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, tree);
    option.decorationSize = tree->iconSize().isValid() ? tree->iconSize() : QSize(iconSide, iconSide);
    const QAbstractItemModel* model = tree->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex parent = model->index(row, 0);
        QModelIndexList nodes{parent};
        for (int child = 0; child < model->rowCount(parent); ++child)
            nodes << model->index(child, 0, parent);
        for (const QModelIndex& node : nodes) {
            const int right = tree->visualRect(node).left() + tree->itemDelegate()->sizeHint(option, node).width();
            if (right > tree->viewport()->width())
                misfits << QStringLiteral("node \"%1\" needs %2 of %3 pixels")
                               .arg(node.data().toString())
                               .arg(right)
                               .arg(tree->viewport()->width());
        }
    }
    return misfits;
}

} // namespace

class TestTfrmSizeLanguage : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> fixture;
    TfrmSize* frmSize = nullptr;

private slots:
    void init()
    {
        fixture = std::make_unique<EditorFixture>();
        frmSize = &fixture->start(Editor::Start::Linked).frmSize;
    }
    void cleanup() { fixture.reset(); }

    void keysGoToTheirTargets()
    {
        LanguageFile::Texts keys;
        for (int key = 0; key <= 27; ++key)
            keys.byKey << QStringLiteral("text %1").arg(key);
        frmSize->applyLanguage(keys);
        QStringList expected = keys.byKey.mid(0, 12);
        expected << keys.byKey[11] << keys.byKey[11] << keys.byKey[12] << keys.byKey[12] << keys.byKey[12];
        expected << keys.byKey.mid(13);
        QCOMPARE(texts(*frmSize), expected);
        QCOMPARE(frmSize->CategoryNames, keys.byKey.mid(1, 6));
    }

    // "&" marks the letter to underline in labels too; "&&" shows one "&".
    void labelsTakeAmpersandsAsMarks()
    {
        LanguageFile::Texts texts{QStringList(28)};
        texts.byKey[9] = QStringLiteral("&Title && logo");
        frmSize->applyLanguage(texts);
        const TLabel* label = frmSize->lblTitle;
        QCOMPARE(label->accessibleName(), QStringLiteral("Title & logo"));
        QCOMPARE(label->width(), label->fontMetrics().horizontalAdvance(QStringLiteral("Title & logo")));
    }

    void emptyTextsEmptyEveryControl()
    {
        frmSize->applyLanguage(LanguageFile::Texts{QStringList(28)});
        QCOMPARE(texts(*frmSize), QStringList(1 + 6 + 25));
        QCOMPARE(frmSize->CategoryNames, QStringList(6));
        // A label without text is as narrow as its text.
        QCOMPARE(frmSize->lblTitle->width(), frmSize->lblTitle->sizeHint().width());
    }

    void theTreeIsRebuiltInItsShape()
    {
        frmSize->applyLanguage(shipped("English.lng"));
        frmSize->applyLanguage(shipped("English.lng")); // twice: no nodes pile up
        const QTreeWidget* tree = frmSize->treeMain;
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(0)->childCount(), 0);
        const QTreeWidgetItem* settings = tree->topLevelItem(1);
        QCOMPARE(settings->childCount(), 4);
        for (int c = 0; c < 4; ++c)
            QCOMPARE(settings->child(c)->childCount(), 0);
        QCOMPARE(settings->child(2)->text(0), QStringLiteral("Colours"));
    }

    // The window's own texts and those of both shipped language files.
    void everyTextFitsItsControl_data()
    {
        QTest::addColumn<QString>("languageFile");
        QTest::newRow("the window's own") << QString();
        QTest::newRow("Russian.lng") << "Russian.lng";
        QTest::newRow("English.lng") << "English.lng";
    }
    void everyTextFitsItsControl()
    {
        QFETCH(QString, languageFile);
        if (!languageFile.isEmpty())
            frmSize->applyLanguage(shipped(languageFile));
        frmSize->show();
        const QStringList misfits = textsThatDoNotFit(*frmSize);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
    }

    void theShippedRussianFileKeepsTheFormsLook()
    {
        QStringList expected = texts(*frmSize);
        // One key serves all three play labels; the form itself says "Играть"
        // beside the Flash preview.
        expected[1 + 6 + 4] = QStringLiteral("Проиграть");
        frmSize->applyLanguage(shipped("Russian.lng"));
        QCOMPARE(texts(*frmSize), expected);
    }
};

QTEST_MAIN(TestTfrmSizeLanguage)
#include "tst_tfrmsizelanguage.moc"
