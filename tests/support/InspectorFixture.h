#pragma once

#include "gui/app/AppDelegate.h"
#include "gui/inspector/Document.h"
#include "gui/inspector/DocumentWindow.h"
#include "gui/inspector/InspectorView.h"
#include "support/RecordingConfirmation.h"
#include "support/RecordingErrorAlert.h"
#include "support/RecordingOpenPanel.h"
#include "support/RecordingPasteboard.h"
#include "support/RecordingSavePanel.h"
#include "support/RecordingUpdateAlert.h"
#include "support/RecordingWorkspace.h"
#include "support/XattrFixture.h"
#include "ui_InspectorView.h"

#include <QAction>
#include <QFile>
#include <QPushButton>

// Inspector windows on real files, with every platform service a recording stand-in.
class InspectorFixture : public XattrFixture {
protected:
    void TearDown() override {
        for (palvorn::Document* document : delegate.documents())
            delete document->window();
        XattrFixture::TearDown();
    }

    palvorn::InspectorView& open(const QString& path) {
        palvorn::Document* document =
            delegate.openDocument(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
        return document->window()->inspectorView();
    }

    static Attributes attributesOf(const QString& path) {
        return rawAttributes(QFile::encodeName(path));
    }

    static QStringList namesShown(const palvorn::InspectorView& view) {
        QStringList names;
        const QAbstractItemModel* model = view.ui().xattrTable->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names.append(model->index(row, 0).data().toString());
        return names;
    }

    static int rowOf(const palvorn::InspectorView& view, const QString& name) {
        return int(namesShown(view).indexOf(name));
    }

    // Selects the rows of these names as shown, the last one current.
    static void select(palvorn::InspectorView& view, const QStringList& names) {
        QItemSelectionModel* selection = view.ui().xattrTable->selectionModel();
        selection->clearSelection();
        for (const QString& name : names) {
            const int row = rowOf(view, name);
            EXPECT_GE(row, 0) << name.toStdString();
            selection->setCurrentIndex(view.ui().xattrTable->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    // What the window says about its selection: the name box, the content pane, the New/Edit
    // button's title, and which of Quarantine, Paste, Remove, Copy and New/Edit are enabled.
    static QStringList described(const palvorn::InspectorView& view) {
        QString enabled;
        for (const QPushButton* button :
             {view.ui().quarantineButton, view.ui().pasteXattrButton, view.ui().removeXattrButton,
              view.ui().copyXattrButton, view.ui().newXattrButton})
            enabled += button->isEnabled() ? u'+' : u'-';
        // The title as shown, without its mnemonic mark.
        return {view.ui().xattrTextbox->text(), view.ui().outputTextcontent->toPlainText(),
                view.ui().newXattrButton->text().remove(u'&'), enabled};
    }

    // A menu item of the window, by its text ("&Export Attributes…").
    static QAction* menuItem(const QWidget* window, const QString& text) {
        for (QAction* action : window->findChildren<QAction*>()) {
            if (action->text() == text)
                return action;
        }
        ADD_FAILURE() << "no menu item " << text.toStdString();
        return nullptr;
    }
    static QAction* menuItem(const palvorn::InspectorView& view, const QString& text) {
        return menuItem(view.window(), text);
    }

    palvorn::RecordingErrorAlert alert;
    palvorn::RecordingOpenPanel openPanel;
    palvorn::RecordingSavePanel savePanel;
    palvorn::RecordingPasteboard pasteboard;
    palvorn::RecordingUpdateAlert updateAlert;
    palvorn::RecordingWorkspace workspace;
    palvorn::RecordingConfirmation confirmation;
    palvorn::AppDelegate delegate{palvorn::Platform{
        alert, openPanel, savePanel, pasteboard, updateAlert, workspace, nullptr, &confirmation}};
};
