#include "ui/manualwindow.h"

#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace t880 {

namespace {

const char *const WindowName = "ManualWindow";

// Reads the manual's text for the browser. Headings carry their section's
// name as an id; the browser finds anchors by name, so each heading gets
// one. Loaded as a source, the manual keeps the browser's history of the
// sections shown.
class ManualBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type != QTextDocument::HtmlResource || name.scheme() != QLatin1String("qrc"))
            return QTextBrowser::loadResource(type, name);
        QFile file(QLatin1Char(':') + name.path());
        if (!file.open(QIODevice::ReadOnly))
            return QVariant();
        QString html = QString::fromUtf8(file.readAll());
        static const QRegularExpression heading(QStringLiteral("<h([1-3]) id=\"([^\"]+)\">"));
        html.replace(heading, QStringLiteral("<h\\1><a name=\"\\2\"></a>"));
        return html;
    }
};

QString languageFolder(text::Language language)
{
    switch (language) {
    case text::Language::Simplified:
        return QStringLiteral("chs");
    case text::Language::Traditional:
        return QStringLiteral("cht");
    case text::Language::English:
        break;
    }
    return QStringLiteral("en");
}

} // namespace

QString ManualWindow::sectionFor(const QString &objectName)
{
    static const std::map<QString, QString> sections{
        {QStringLiteral("ProgramDialog"), QStringLiteral("program-dialog")},
        {QStringLiteral("CommunicationPort"), QStringLiteral("port-dialog")},
        {QStringLiteral("PasswordDlg"), QStringLiteral("password")},
        {QStringLiteral("NewPasswordDlg"), QStringLiteral("password")},
        {QStringLiteral("SetPasswordDlg"), QStringLiteral("password")},
        {QStringLiteral("AdjustmentDlg"), QStringLiteral("calibration")},
        {QStringLiteral("BackupsDlg"), QStringLiteral("backups")},
        {QStringLiteral("CompareDlg"), QStringLiteral("compare")},
        {QStringLiteral("GangWriteDlg"), QStringLiteral("several-radios")},
        {QStringLiteral("ImportPreviewDlg"), QStringLiteral("import-report")},
        {QStringLiteral("TPasteReportDlg"), QStringLiteral("import-report")},
        {QStringLiteral("TBatchSetDlg"), QStringLiteral("batch-set")},
        {QStringLiteral("DoctorDlg"), QStringLiteral("doctor")},
        {QStringLiteral("PlanDlg"), QStringLiteral("plans")},
        {QStringLiteral("ProductionDlg"), QStringLiteral("journal")},
        {QStringLiteral("UnfinishedWritePrompt"), QStringLiteral("journal")},
    };
    const auto it = sections.find(objectName);
    return it == sections.end() ? QString() : it->second;
}

QString ManualWindow::sourceFor(const QString &language)
{
    return QStringLiteral("qrc:/manual/%1/manual.html").arg(language);
}

ManualWindow *ManualWindow::open(const Document &state, QWidget *from, const QString &section)
{
    // Over a modal dialog the manual must be that dialog's own window: the
    // dialog blocks every other.
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = from ? from->window() : nullptr;
    ManualWindow *manual = nullptr;
    if (owner) {
        for (ManualWindow *w :
             owner->findChildren<ManualWindow *>(QString(), Qt::FindDirectChildrenOnly))
            manual = w;
    }
    if (!manual)
        manual = new ManualWindow(state, owner);
    manual->load();
    manual->showSection(section);
    manual->show();
    manual->raise();
    manual->activateWindow();
    return manual;
}

ManualWindow::ManualWindow(const Document &state, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state)
{
    setObjectName(QLatin1String(WindowName));
    setAttribute(Qt::WA_DeleteOnClose);
    const auto t = [&state](int n) {
        return state.langText(n);
    };
    setWindowTitle(text::menuCaption(t(text::MainText::ManualItem)));
    // Every text of the window is in the language it opened in: another one
    // opens with the next F1.
    connect(&state, &Document::languageChanged, this, &QWidget::close);

    tContents = new QTreeWidget(this);
    tContents->setObjectName(QStringLiteral("tContents"));
    tContents->setHeaderLabel(t(text::MainText::Contents));
    tContents->setAccessibleName(t(text::MainText::Contents));
    tManual = new ManualBrowser(this);
    tManual->setObjectName(QStringLiteral("tManual"));
    tManual->setOpenExternalLinks(false);
    tManual->setOpenLinks(true);
    bBack = new QToolButton(this);
    bBack->setObjectName(QStringLiteral("bBack"));
    bBack->setText(t(text::MainText::Back));
    bBack->setArrowType(Qt::LeftArrow);
    bBack->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bBack->setShortcut(QKeySequence::Back);
    bForward = new QToolButton(this);
    bForward->setObjectName(QStringLiteral("bForward"));
    bForward->setText(t(text::MainText::Forward));
    bForward->setArrowType(Qt::RightArrow);
    bForward->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bForward->setShortcut(QKeySequence::Forward);
    bBack->setEnabled(false);
    bForward->setEnabled(false);
    auto *findLabel = new QLabel(t(text::MainText::FindLabel), this);
    eSearch = new QLineEdit(this);
    eSearch->setObjectName(QStringLiteral("eSearch"));
    eSearch->setClearButtonEnabled(true);
    findLabel->setBuddy(eSearch);
    sFound = new QLabel(this);
    sFound->setObjectName(QStringLiteral("sFound"));

    connect(bBack, &QToolButton::clicked, tManual, &QTextBrowser::backward);
    connect(bForward, &QToolButton::clicked, tManual, &QTextBrowser::forward);
    connect(tManual, &QTextBrowser::backwardAvailable, bBack, &QToolButton::setEnabled);
    connect(tManual, &QTextBrowser::forwardAvailable, bForward, &QToolButton::setEnabled);
    connect(tContents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { showSection(item->data(0, Qt::UserRole).toString()); });
    connect(tContents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { showSection(item->data(0, Qt::UserRole).toString()); });
    connect(eSearch, &QLineEdit::returnPressed, this, [this] { find(false); });
    auto *findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this] {
        eSearch->setFocus(Qt::ShortcutFocusReason);
        eSearch->selectAll();
    });
    auto *findNext = new QShortcut(QKeySequence::FindNext, this);
    connect(findNext, &QShortcut::activated, this, [this] { find(false); });
    auto *findPrevious = new QShortcut(QKeySequence::FindPrevious, this);
    connect(findPrevious, &QShortcut::activated, this, [this] { find(true); });
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    auto *bar = new QHBoxLayout;
    bar->addWidget(bBack);
    bar->addWidget(bForward);
    bar->addStretch();
    bar->addWidget(findLabel);
    bar->addWidget(eSearch);
    bar->addWidget(sFound);
    auto *split = new QSplitter(this);
    split->addWidget(tContents);
    split->addWidget(tManual);
    split->setStretchFactor(1, 1);
    split->setSizes({240, 620});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);
    resize(900, 640);
    if (parent) {
        const QRect area = parent->window()->frameGeometry();
        move(area.center() - rect().center());
    }
}

QString ManualWindow::folder() const
{
    return languageFolder(m_state.lang().language());
}

void ManualWindow::load()
{
    const QString source = sourceFor(folder());
    if (source == m_loaded)
        return;
    m_loaded = source;
    tManual->setSource(QUrl(source));
    tManual->clearHistory();
    buildContents();
}

void ManualWindow::buildContents()
{
    tContents->clear();
    QTreeWidgetItem *section = nullptr;
    for (QTextBlock block = tManual->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != 2 && level != 3)
            continue;
        QString anchor;
        for (auto it = block.begin(); !it.atEnd() && anchor.isEmpty(); ++it)
            anchor = it.fragment().charFormat().anchorNames().value(0);
        if (anchor.isEmpty())
            continue;
        auto *item =
            level == 2 || !section ? new QTreeWidgetItem(tContents) : new QTreeWidgetItem(section);
        item->setText(0, block.text().trimmed());
        item->setData(0, Qt::UserRole, anchor);
        if (level == 2)
            section = item;
    }
    tContents->expandAll();
}

void ManualWindow::showSection(const QString &section)
{
    QUrl url(m_loaded);
    if (!section.isEmpty())
        url.setFragment(section);
    if (url != tManual->source())
        tManual->setSource(url);
    if (section.isEmpty())
        tManual->moveCursor(QTextCursor::Start);
    for (QTreeWidgetItemIterator it(tContents); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == section) {
            tContents->setCurrentItem(*it);
            break;
        }
    }
}

void ManualWindow::find(bool backward)
{
    const QString wanted = eSearch->text();
    if (wanted.isEmpty())
        return;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = tManual->find(wanted, flags);
    if (!found) {
        // Round again from the other end.
        QTextCursor from(tManual->document());
        from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        tManual->setTextCursor(from);
        found = tManual->find(wanted, flags);
    }
    sFound->setText(found ? QString() : m_state.langText(text::MainText::NotFound).arg(wanted));
}

HelpKey::HelpKey(const Document &state, QObject *parent) : QObject(parent), m_state(state)
{
    qApp->installEventFilter(this);
}

HelpKey::~HelpKey()
{
    qApp->removeEventFilter(this);
}

bool HelpKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1 ||
        !watched->isWidgetType())
        return false;
    QWidget *window = static_cast<QWidget *>(watched)->window();
    if (!qobject_cast<QDialog *>(window))
        return false; // the main window's F1 is its Help menu's
    ManualWindow::open(m_state, window, ManualWindow::sectionFor(window->objectName()));
    return true;
}

} // namespace t880
