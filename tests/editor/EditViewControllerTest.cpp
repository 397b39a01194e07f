#include "editor/EditViewController.h"

#include "editor/EditorConversion.h"
#include "support/InspectorFixture.h"
#include "ui_EditViewController.h"

#include <QUndoStack>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

class EditViewControllerTest : public InspectorFixture {
protected:
    // Opens the editor from the inspector of file, on the row of name (or for a new attribute).
    EditViewController& editorFor(const QString& file, const QString& name = {}) {
        ViewController& view = open(file);
        m_view = &view;
        if (!name.isEmpty())
            view.ui().xattrTable->selectRow(rowOf(view, name));
        view.ui().newXattrButton->click();
        return *view.editor();
    }

    static void save(EditViewController& editor, const QString& name, int format,
                     const QString& text) {
        editor.ui().nameTextbox->setText(name);
        editor.ui().formatPopup->setCurrentIndex(format);
        editor.ui().contentTextview->setPlainText(text);
        editor.ui().saveButton->click();
    }

    ViewController* m_view = nullptr;
};

// Each record opens in the format of its type; switching formats renders it again, and the type
// chosen stays with the inspector's record even after Cancel. Saving writes the text converted by
// the format chosen under the name given.
TEST_F(EditViewControllerTest, OpensSwitchesFormatsSavesAndRefusesWhatCannotBeSaved) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.bytes", QByteArray("\x00\xff", 2));
    setRaw(file, "user.text", "some text value");
    const struct {
        QString name;
        int format;
        QString startOfContent;
    } cases[] = {
        {u"user.bytes"_s, 2, u"<00ff>"_s},
        {u"user.text"_s, 0, u"some text value"_s},
    };
    for (const auto& c : cases) {
        EditViewController& editor = editorFor(file, c.name);
        EXPECT_EQ(editor.ui().nameTextbox->text(), c.name);
        EXPECT_EQ(editor.ui().formatPopup->currentIndex(), c.format);
        EXPECT_TRUE(editor.ui().contentTextview->toPlainText().startsWith(c.startOfContent));
        editor.ui().cancelButton->click();
    }
    EditViewController& blank = editorFor(file);
    EXPECT_EQ(blank.ui().formatPopup->currentIndex(), 0);
    EXPECT_EQ(blank.ui().contentTextview->toPlainText(), QString());

    EditViewController& editor = editorFor(file, u"user.text"_s);
    const ResourceItemPtr inspectorsRecord = editor.editRes().front();
    editor.ui().formatPopup->setCurrentIndex(EditorConversion::NotSupported); // as the user does
    Q_EMIT editor.ui().formatPopup->activated(EditorConversion::NotSupported);
    EXPECT_EQ(editor.ui().contentTextview->toPlainText(), u"<736f6d65 20746578 74207661 6c7565>"_s);
    EXPECT_EQ(inspectorsRecord->type(), ResourceItem::BinaryType);
    editor.ui().formatPopup->setCurrentIndex(EditorConversion::PropertyList);
    Q_EMIT editor.ui().formatPopup->activated(EditorConversion::PropertyList); // not a list: as is
    EXPECT_EQ(editor.ui().contentTextview->toPlainText(), u"some text value"_s);
    editor.ui().cancelButton->click();
    EXPECT_EQ(inspectorsRecord->type(), ResourceItem::PropertyListType);
    EXPECT_EQ(getRaw(file, "user.text"), "some text value");

    const struct {
        QString name;
        int format;
        QString text;
        QByteArray bytes;
    } saves[] = {
        {u"user.empty"_s, EditorConversion::PlainText, QString(), {}},
        {u"user.hex"_s, EditorConversion::HexText, u"<48 65 6c 6c 6f 20 77 6f 72 6c 64>"_s,
         "Hello world"},
    };
    for (const auto& c : saves) {
        EditViewController& saving = editorFor(file, u"user.text"_s);
        save(saving, c.name, c.format, c.text);
        EXPECT_FALSE(saving.isVisible()) << c.name.toStdString();
        EXPECT_EQ(getRaw(file, c.name.toUtf8()), c.bytes) << c.name.toStdString();
        EXPECT_TRUE(hasRaw(file, c.name.toUtf8())) << c.name.toStdString();
    }
    // The record saved last keeps the type of its format, though its bytes read as text.
    EXPECT_EQ(m_view->editRes().front()->type(), ResourceItem::BinaryType);

    // A text that does not convert, or a value the file refuses: the editor stays open with
    // everything the user typed, and nothing is written, wiped or replaced.
    EditViewController& refusing = editorFor(file, u"user.text"_s);
    const QStringList shown = namesShown(*m_view);
    save(refusing, u"user.text"_s, EditorConversion::PropertyList, u"{ not = a list"_s);
    EXPECT_EQ(alert.shown(), QStringList{u"The text is not a property list, so nothing was saved "
                                         "(attribute \u201cuser.text\u201d of \u201c"_s +
                                         file + u"\u201d)."_s});
    EXPECT_TRUE(refusing.isVisible());
    EXPECT_EQ(refusing.ui().contentTextview->toPlainText(), u"{ not = a list"_s);

    alert.clear();
    setRaw(file, "user.behind", "x"); // would appear on a reload
    const QString longName = u"user."_s + QString(300, u'n');
    save(refusing, longName, EditorConversion::PlainText, u"typed with care"_s);
    EXPECT_TRUE(alert.shown().value(0).startsWith(u"setxattr error: "_s));
    EXPECT_TRUE(refusing.isVisible());
    EXPECT_EQ(refusing.ui().nameTextbox->text(), longName);
    EXPECT_EQ(refusing.ui().contentTextview->toPlainText(), u"typed with care"_s);
    EXPECT_EQ(namesShown(*m_view), shown);
    EXPECT_FALSE(m_view->undoStack().canUndo());

    // Mended, it is saved and the editor closes; renaming adds the new name, never removes.
    save(refusing, u"user.mended"_s, EditorConversion::PlainText, u"typed with care"_s);
    EXPECT_FALSE(refusing.isVisible());
    EXPECT_EQ(getRaw(file, "user.mended"), "typed with care");
    EXPECT_EQ(getRaw(file, "user.text"), "some text value");

    // Renamed onto another attribute: refused, that attribute keeps its value.
    EditViewController& renaming = editorFor(file, u"user.mended"_s);
    save(renaming, u"user.behind"_s, EditorConversion::PlainText, u"would replace"_s);
    EXPECT_TRUE(renaming.isVisible());
    EXPECT_EQ(getRaw(file, "user.behind"), "x");
}

// The name box shows a name as the table does, escapes included, and reads them back: an unchanged
// name saves over the same bytes, a typed escape names its byte, and one that names nothing is
// refused before anything is written.
TEST_F(EditViewControllerTest, TheNameBoxTakesBackTheEscapesItShows) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.esc\x1b\\b", "old value");
    EditViewController& same = editorFor(file, u"user.esc\\x1b\\\\b"_s);
    EXPECT_EQ(same.ui().nameTextbox->text(), u"user.esc\\x1b\\\\b"_s);
    save(same, same.ui().nameTextbox->text(), EditorConversion::PlainText, u"new value"_s);
    EXPECT_EQ(attributesOf(file), (Attributes{{"user.esc\x1b\\b", "new value"}}));

    EditViewController& renaming = editorFor(file, u"user.esc\\x1b\\\\b"_s);
    save(renaming, u"user.bad\\q"_s, EditorConversion::PlainText, u"kept"_s);
    EXPECT_EQ(alert.shown(),
              QStringList{u"\u201c\\q\u201d in a name: a backslash is typed as \\\\, a byte as "
                          "\\xHH (\u201c"_s +
                          file + u"\u201d)"_s});
    EXPECT_TRUE(renaming.isVisible());
    save(renaming, u"user.\\x07bell\\\\"_s, EditorConversion::PlainText, u"kept"_s);
    EXPECT_FALSE(renaming.isVisible());
    EXPECT_EQ(attributesOf(file), (Attributes{{"user.esc\x1b\\b", "new value"},
                                              {"user.\x07"
                                               "bell\\",
                                               "kept"}}));
}
