#include "gui/platform/FileChooser.h"

#include "core/model/AttributeName.h"
#include "core/model/FolderText.h"
#include "core/model/XattrAccess.h"
#include "gui/platform/FirstRowSelection.h"
#include "gui/platform/FolderEntryModel.h"

#include <algorithm>
#include <sys/stat.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace palvorn {

namespace {

// The folder the last dialog chose in: the next one starts there, as the platform's dialogs do.
QString& lastFolder() {
    static QString folder;
    return folder;
}

// Where the first dialog starts, as the platform's own do: the current folder, by its bytes.
QString currentFolder() {
    QString folder = FolderText::absolutePath(QString());
    if (folder.size() > 1)
        folder.chop(1); // the slash put before the empty name
    return folder;
}

QString shown(const QString& path) {
    return displayName(nativePath(path));
}

std::optional<struct stat> statusOf(const QString& path) {
    struct stat status = {};
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &status) != 0)
        return std::nullopt;
    return status;
}

QString titleFor(const OpenPanel::Options& options) {
    if (options.canChooseFiles && options.canChooseDirectories)
        return options.allowsMultipleSelection ? FileChooser::tr("Choose Files or Folders")
                                               : FileChooser::tr("Choose a File or Folder");
    if (options.canChooseDirectories)
        return FileChooser::tr("Choose a Folder");
    return options.allowsMultipleSelection ? FileChooser::tr("Choose Files")
                                           : FileChooser::tr("Choose a File");
}

QString parentOf(const QString& folder) {
    const qsizetype slash = folder.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

} // namespace

FileChooser::FileChooser(QWidget* parent, const OpenPanel::Options& options)
    : QDialog(parent), m_options(options),
      m_model(new FolderEntryModel(style()->standardIcon(QStyle::SP_DirIcon),
                                   style()->standardIcon(QStyle::SP_FileIcon), this)),
      m_list(new QTreeView(this)), m_folderField(new QLineEdit(this)),
      m_up(new QPushButton(tr("&Up"), this)), m_name(new QLineEdit(this)), m_note(new QLabel(this)),
      m_open(new QPushButton(tr("&Open"), this)) {
    setWindowTitle(titleFor(options));
    buildLayout();
    new FirstRowSelection(*m_list);
    m_list->installEventFilter(this);
    m_folderField->installEventFilter(this);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &FileChooser::openRow);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        // A choice in the list replaces a typed one.
        if (m_list->selectionModel()->hasSelection())
            m_name->clear();
        enableOpen();
    });
    connect(m_name, &QLineEdit::textEdited, this, [this] {
        m_list->clearSelection();
        showNote({});
    });
    connect(m_name, &QLineEdit::textChanged, this, &FileChooser::enableOpen);
    connect(m_up, &QPushButton::clicked, this, &FileChooser::goUp);
    if (!setFolder(lastFolder()) && !setFolder(currentFolder()) && !setFolder(QDir::homePath()))
        setFolder(QStringLiteral("/"));
    showNote({});
    m_list->setFocus();
    resize(720, 460);
}

FileChooser::~FileChooser() = default;

void FileChooser::buildLayout() {
    auto* lookIn = new QLabel(tr("&Look in:"), this);
    lookIn->setBuddy(m_folderField);
    m_folderField->setAccessibleName(tr("Folder shown"));
    m_folderField->setToolTip(tr("The folder listed below; type another and press Enter to go "
                                 "there (\"~\" is your home folder)"));
    m_up->setAccessibleName(tr("Up"));
    m_up->setToolTip(tr("The folder above this one (Backspace or Alt+Up in the list)"));
    m_up->setAutoDefault(false);
    auto* top = new QHBoxLayout;
    top->addWidget(lookIn);
    top->addWidget(m_folderField, 1);
    top->addWidget(m_up);

    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(m_options.allowsMultipleSelection
                                 ? QAbstractItemView::ExtendedSelection
                                 : QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->setAccessibleName(tr("Files and folders"));
    m_list->setToolTip(tr("Enter or Open chooses what is selected; a double click or Alt+Down goes "
                          "into a folder"));

    auto* nameLabel = new QLabel(tr("File &name:"), this);
    nameLabel->setBuddy(m_name);
    m_name->setAccessibleName(tr("Name to choose"));
    m_name->setToolTip(tr("A name in this folder, or a whole path; Enter chooses it, or goes into "
                          "a folder"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(nameLabel);
    bottom->addWidget(m_name, 1);

    m_note->setTextFormat(Qt::PlainText);
    m_note->setWordWrap(true);
    m_note->setAccessibleName(tr("Note"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(m_open, QDialogButtonBox::AcceptRole);
    m_open->setDefault(true);
    m_open->setAccessibleName(tr("Open"));
    m_open->setToolTip(tr("Chooses what is selected or typed, or else the folder shown"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FileChooser::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FileChooser::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    layout->addWidget(m_note);
    layout->addWidget(buttons);
    setTabOrder(m_list, m_name);
}

bool FileChooser::setFolder(QString folder) {
    QString reason;
    if (folder.isEmpty() ||
        !m_model->list(folder, {m_options.showsHiddenFiles, !m_options.canChooseFiles}, &reason)) {
        if (!folder.isEmpty())
            showNote(tr("\u201c%1\u201d cannot be opened: %2").arg(shown(folder), reason));
        return false;
    }
    m_folder = std::move(folder);
    m_folderField->setText(shown(m_folder));
    m_up->setEnabled(m_folder != u'/');
    showNote(m_model->cutShort()
                 ? tr("Only the first %1 entries are listed: type a name to choose another.")
                       .arg(FolderEntryModel::maxEntries)
                 : QString());
    m_list->scrollToTop();
    enableOpen();
    return true;
}

QString FileChooser::note() const {
    return m_note->isHidden() ? QString() : m_note->text();
}

void FileChooser::showNote(const QString& text) {
    m_note->setText(text);
    m_note->setHidden(text.isEmpty());
}

void FileChooser::goUp() {
    if (m_folder == u'/')
        return;
    const QString from = m_folder;
    if (!setFolder(parentOf(from)))
        return;
    // The folder come from stays at hand.
    const int row = m_model->rowOf(from);
    if (row >= 0)
        m_list->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
}

void FileChooser::goIntoSelected() {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.size() == 1 && m_model->entryAt(rows.constFirst().row()).isFolder)
        setFolder(m_model->entryAt(rows.constFirst().row()).path);
}

void FileChooser::openRow(const QModelIndex& index) {
    const FolderEntryModel::Entry& entry = m_model->entryAt(index.row());
    if (entry.isFolder)
        setFolder(entry.path);
    else if (m_options.canChooseFiles)
        choose({entry.path});
}

void FileChooser::goToTypedFolder() {
    const Result<QString> typed = FolderText::folderPath(m_folderField->text(), QDir::homePath());
    if (!typed) {
        showNote(typed.error().text());
        return;
    }
    const std::optional<struct stat> status = statusOf(*typed);
    if (!status || !S_ISDIR(status->st_mode)) {
        showNote(tr("\u201c%1\u201d is not a folder.").arg(m_folderField->text()));
        return;
    }
    setFolder(*typed);
}

QString FileChooser::typedPath(const QString& text) const {
    if (!text.startsWith(u'/') && !text.startsWith(u'~'))
        return m_folder.endsWith(u'/') ? m_folder + text : m_folder + u'/' + text;
    return FolderText::folderPath(text, QDir::homePath()).value_or(QString());
}

QStringList FileChooser::selectedPaths() const {
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (int row : rows) {
        const FolderEntryModel::Entry& entry = m_model->entryAt(row);
        if (entry.isFolder ? m_options.canChooseDirectories : m_options.canChooseFiles)
            paths.append(entry.path);
    }
    return paths;
}

void FileChooser::accept() {
    const QString typed = m_name->text();
    if (!typed.isEmpty()) {
        const QString path = typedPath(typed);
        const std::optional<struct stat> status = statusOf(path);
        if (!status) {
            showNote(tr("\u201c%1\u201d does not exist.").arg(typed));
            return;
        }
        // A typed folder is gone into; Enter again then chooses it.
        if (S_ISDIR(status->st_mode)) {
            if (setFolder(path))
                m_name->clear();
            return;
        }
        if (!m_options.canChooseFiles)
            return showNote(tr("\u201c%1\u201d is not a folder.").arg(typed));
        return choose({path});
    }
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    // Where only files may be chosen, a folder is gone into.
    if (!m_options.canChooseDirectories && rows.size() == 1 &&
        m_model->entryAt(rows.constFirst().row()).isFolder)
        return goIntoSelected();
    const QStringList selected = selectedPaths();
    if (!selected.isEmpty())
        return choose(selected);
    if (rows.isEmpty() && m_options.canChooseDirectories)
        choose({m_folder});
}

void FileChooser::choose(const QStringList& paths) {
    m_chosen = paths;
    lastFolder() = m_folder;
    QDialog::accept();
}

void FileChooser::enableOpen() {
    const QString typed = m_name->text();
    if (!typed.isEmpty())
        m_open->setEnabled(statusOf(typedPath(typed)).has_value());
    else
        m_open->setEnabled(m_list->selectionModel()->hasSelection() ||
                           m_options.canChooseDirectories);
}

bool FileChooser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == m_folderField && enter) {
        goToTypedFolder(); // Enter here goes to the folder, it chooses nothing
        return true;
    }
    if (watched != m_list)
        return QDialog::eventFilter(watched, event);
    const bool alt = key->modifiers() == Qt::AltModifier;
    if ((key->key() == Qt::Key_Backspace && key->modifiers() == Qt::NoModifier) ||
        (alt && key->key() == Qt::Key_Up)) {
        goUp();
        return true;
    }
    if (alt && key->key() == Qt::Key_Down) {
        goIntoSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace palvorn
