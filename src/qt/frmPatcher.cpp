#include "qt/frmPatcher.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

#include "catalogue/catalogue.h"
#include "platform/file_system.h"
#include "qt/artwork.h"
#include "qt/dirthing.h"
#include "qt/message_box.h"
#include "qt/sckHTTP.h"

namespace korrin::qt {
namespace {

std::function<void()>& EndHook() {
    static std::function<void()> end;
    return end;
}

// Tahoma where it can be had (Debian's fonts-wine ships it), the system's sans font otherwise.
void LoadFonts() {
    static const bool loaded = [] {
        for (const char* file :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf",
              "/usr/share/wine/fonts/ms_sans_serif.ttf"}) {
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        }
        return true;
    }();
    (void)loaded;
}

// 8.25 pt at 96 dots per inch is 11 pixels; the layout is in pixels, so the fonts are too.
QFont PixelFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QString ArrayName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

template <typename T>
T* Place(T* control, const QString& name, int x, int y, int w, int h) {
    control->setObjectName(name);
    control->setGeometry(x, y, w, h);
    return control;
}

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void EndProgram() {
    if (EndHook()) {
        EndHook()();
        return;
    }
    QCoreApplication::exit(0);
}

void SetEndProgram(std::function<void()> end) {
    EndHook() = std::move(end);
}

frmPatcher::frmPatcher(platform::ProgramFile program, QWidget* parent,
                       std::optional<std::string> updateDescription)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    LoadFonts();
    BuildWindow();
    BuildTabStrip();
    BuildUpdateFrame();
    BuildFindFrame();
    BuildPatchFrame();
    connection_ = new sckHTTP(frames_[2]);
    connection_->setObjectName(QStringLiteral("sckHTTP"));
    silenceTimer_ = new QTimer(this);
    silenceTimer_->setSingleShot(true);
    window::Machine machine{
        platform::FileSystem::Default(),
        settings_,
        *connection_,
        std::move(program),
        [] { EndProgram(); },
        [this](const std::string& description) { emit reloadRequested(Text(description)); },
        [this](int seconds) {
            if (seconds > 0) {
                silenceTimer_->start(seconds * 1000);
            } else {
                silenceTimer_->stop();
            }
        },
    };
    window::View& view = *this;
    model_ = std::make_unique<window::WindowModel>(view, std::move(machine));
    ForwardEvents();
    if (updateDescription) {
        model_->ReloadAfterUpdate(*updateDescription);
    } else {
        model_->Form_Load();
    }
}

frmPatcher::~frmPatcher() {
    // The model goes before the controls: none of them may reach it while they are deleted.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void frmPatcher::BuildWindow() {
    setObjectName(QStringLiteral("frmPatcher"));
    setWindowTitle(QStringLiteral("Korrin Patcher 1.0"));
    setWindowIcon(artwork::WindowIcon());
    setFixedSize(360, 273);
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
}

// The tab strip, headers from top to bottom: Find (1), Patch (0), Updates (2), Exit (3).
void frmPatcher::BuildTabStrip() {
    tabStrip_ = Place(new QFrame(this), QStringLiteral("Picture1"), 9, 17, 88, 247);
    tabStrip_->setFrameShape(QFrame::Panel);
    tabStrip_->setFrameShadow(QFrame::Sunken);
    tabStrip_->setAutoFillBackground(true);
    QPalette strip = tabStrip_->palette();
    strip.setColor(QPalette::Window, QColor(128, 128, 128));
    tabStrip_->setPalette(strip);
    tabStrip_->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));

    struct Header {
        int index;
        QPixmap icon;
        const char* caption;
        QRect iconPlace;
        QRect captionPlace;
    };
    const Header headers[] = {
        {1, artwork::FindIcon(), "Find it!", {23, 5, 32, 32}, {11, 39, 64, 13}},
        {0, artwork::PatchIcon(), "Patch it!", {22, 65, 32, 32}, {10, 99, 64, 13}},
        {2, artwork::UpdateIcon(), "Updates", {22, 126, 32, 32}, {10, 160, 64, 13}},
        {3, artwork::ExitIcon(), "Exit", {23, 184, 32, 32}, {11, 219, 64, 13}},
    };
    const QColor captionColour = palette().color(QPalette::HighlightedText);
    for (const Header& h : headers) {
        auto* icon = new ClickableLabel(tabStrip_);
        icon->setObjectName(ArrayName("tabPick", h.index));
        icon->setGeometry(h.iconPlace);
        icon->setPixmap(h.icon);
        icon->setCursor(Qt::PointingHandCursor);
        tabIcons_[h.index] = icon;

        auto* caption = new ClickableLabel(QString::fromLatin1(h.caption), tabStrip_);
        caption->setObjectName(ArrayName("lblTab", h.index));
        caption->setGeometry(h.captionPlace);
        caption->setAlignment(Qt::AlignCenter);
        caption->setAttribute(Qt::WA_TranslucentBackground);
        QPalette text = caption->palette();
        text.setColor(QPalette::WindowText, captionColour);
        caption->setPalette(text);
        caption->setCursor(Qt::PointingHandCursor);
        tabCaptions_[h.index] = caption;
    }
}

void frmPatcher::AddSeparator(QWidget* frame, int index, int x1, int y1, int x2, bool highlight) {
    auto* line = Place(new QFrame(frame), ArrayName("ThreeD", index), x1, y1, x2 - x1, 1);
    line->setAutoFillBackground(true);
    QPalette colour = line->palette();
    colour.setColor(QPalette::Window,
                    palette().color(highlight ? QPalette::Light : QPalette::Dark));
    line->setPalette(colour);
    separators_[index] = line;
}

void frmPatcher::BuildUpdateFrame() {
    QGroupBox* frame = Place(new QGroupBox(QStringLiteral("Update from the internet"), this),
                             ArrayName("tabForm", 2), 105, 11, 247, 253);
    frames_[2] = frame;
    updateButton_ = Place(new QPushButton(QStringLiteral("Update"), frame),
                          QStringLiteral("Command1"), 192, 55, 45, 18);
    updateButton_->setFont(PixelFont(QStringLiteral("Tahoma"), 9));
    updateNotes_ = Place(new QPlainTextEdit(frame), QStringLiteral("txtAbout"), 10, 93, 227, 149);
    updateNotes_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    updateNotes_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    progressBox_ =
        Place(new QFrame(frame), QStringLiteral("pertotal"), 10, 55, window::kBarBoxPixels, 17);
    progressBox_->setFrameShape(QFrame::Panel);
    progressBox_->setFrameShadow(QFrame::Sunken);
    progressBar_ = Place(new QFrame(progressBox_), QStringLiteral("perDone"), 0, 0,
                         window::kBarStartPixels, 14);
    progressBar_->setAutoFillBackground(true);
    QPalette fill = progressBar_->palette();
    fill.setColor(QPalette::Window, palette().color(QPalette::Highlight));
    progressBar_->setPalette(fill);
    updateAddress_ = Place(new QLineEdit(frame), QStringLiteral("txtUpdateUrl"), 96, 16, 142, 20);
    AddSeparator(frame, 5, 2, 43, 246, false);
    AddSeparator(frame, 4, -1, 44, 245, true);
    captions_[0] = Place(new QLabel(QStringLiteral("Update address:"), frame), ArrayName("lbl", 0),
                         9, 19, 84, 14);
    AddSeparator(frame, 6, 1, 81, 245, false);
    AddSeparator(frame, 7, 0, 82, 246, true);
}

// The Find tab, the one shown at start.
void frmPatcher::BuildFindFrame() {
    QGroupBox* frame = Place(new QGroupBox(QStringLiteral("Let's get started!"), this),
                             ArrayName("tabForm", 1), 105, 11, 247, 253);
    frames_[1] = frame;
    titlePicture_ = Place(new QLabel(frame), QStringLiteral("Picture2"), 12, 20, 223, 176);
    titlePicture_->setFrameShape(QFrame::Panel);
    titlePicture_->setFrameShadow(QFrame::Sunken);
    titlePicture_->setAlignment(Qt::AlignCenter);
    titlePicture_->setPixmap(artwork::TitlePicture());
    folderButton_ = Place(new QPushButton(frame), QStringLiteral("txtPickDIR"), 210, 221, 24, 20);
    folderButton_->setIcon(QIcon(artwork::FolderPicture()));
    folderButton_->setIconSize(QSize(16, 16));
    folderButton_->setToolTip(QStringLiteral("Choose the folder that holds vplaces.exe"));
    targetPath_ = Place(new QLineEdit(frame), QStringLiteral("txtDir"), 10, 221, 193, 20);
    targetPathCaption_ = Place(new QLabel(QStringLiteral("Location of the VP executable:"), frame),
                               QStringLiteral("Label1"), 10, 202, 156, 14);
}

void frmPatcher::BuildPatchFrame() {
    QGroupBox* frame = Place(new QGroupBox(QStringLiteral("Patch"), this), ArrayName("tabForm", 0),
                             105, 11, 247, 253);
    frames_[0] = frame;
    patchList_ = Place(new QListWidget(frame), QStringLiteral("lstPatch"), 55, 16, 180, 69);
    patchList_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Entries carry their file name beyond the right edge; it must stay out of sight.
    patchList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    patchList_->setTextElideMode(Qt::ElideNone);
    patchList_->setUniformItemSizes(true);
    patchList_->setContextMenuPolicy(Qt::CustomContextMenu);
    patchMenu_ = new QMenu(patchList_);
    undoLastApply_ = patchMenu_->addAction(QStringLiteral("Undo the last Apply of this patch"));
    undoLastApply_->setObjectName(QStringLiteral("mnuUndoLastApply"));
    undoLastApply_->setShortcut(QKeySequence::Undo);  // shown in the menu; the QShortcut acts
    applyButton_ = Place(new QPushButton(QStringLiteral("Apply"), frame),
                         QStringLiteral("cmdApply"), 181, 222, 55, 21);
    valueBox_ = Place(new QLineEdit(frame), QStringLiteral("txtValue"), 52, 182, 182, 19);
    optionButtons_[0] = Place(new QRadioButton(frame), ArrayName("opOnOff", 0), 73, 183, 74, 19);
    optionButtons_[1] = Place(new QRadioButton(frame), ArrayName("opOnOff", 1), 165, 183, 74, 19);
    for (QRadioButton* option : optionButtons_) {
        option->setFont(PixelFont(QStringLiteral("Tahoma"), 11, true));
    }
    AddSeparator(frame, 2, 1, 210, 245, false);
    AddSeparator(frame, 3, -2, 211, 244, true);
    AddSeparator(frame, 0, 1, 95, 245, false);
    AddSeparator(frame, 1, -2, 96, 244, true);
    captions_[4] =
        Place(new QLabel(QStringLiteral("Name:"), frame), ArrayName("lbl", 4), 13, 19, 34, 13);
    captions_[3] =
        Place(new QLabel(QStringLiteral("Value:"), frame), ArrayName("lbl", 3), 12, 184, 34, 13);
    descriptionLabel_ =
        Place(new QLabel(frame), QStringLiteral("lblDescription"), 55, 110, 178, 53);
    descriptionLabel_->setWordWrap(true);
    descriptionLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    captions_[2] =
        Place(new QLabel(QStringLiteral("Info:"), frame), ArrayName("lbl", 2), 12, 110, 57, 13);
    buildLabel_ = Place(new QLabel(QStringLiteral("Buildnumber"), frame),
                        QStringLiteral("lblBuild"), 74, 104, 167, 15);
    buildLabel_->hide();
    captions_[1] =
        Place(new QLabel(QStringLiteral("Build:"), frame), ArrayName("lbl", 1), 12, 104, 34, 13);
    captions_[1]->hide();
}

void frmPatcher::ForwardEvents() {
    window::WindowModel& m = *model_;
    for (short index = 0; index < static_cast<short>(tabIcons_.size()); ++index) {
        connect(tabIcons_[index], &ClickableLabel::clicked, this,
                [&m, index] { m.tabPick_Click(index); });
        connect(tabCaptions_[index], &ClickableLabel::clicked, this,
                [&m, index] { m.lblTab_Click(index); });
    }
    connect(targetPath_, &QLineEdit::textChanged, this,
            [&m](const QString& text) { m.TypeDir(text.toStdString()); });
    connect(updateAddress_, &QLineEdit::textChanged, this,
            [&m](const QString& text) { m.TypeUpdateUrl(text.toStdString()); });
    connect(valueBox_, &QLineEdit::textChanged, this,
            [&m](const QString& text) { m.TypeValue(text.toStdString()); });
    for (int index = 0; index < static_cast<int>(optionButtons_.size()); ++index) {
        connect(optionButtons_[index], &QRadioButton::toggled, this, [&m, index](bool on) {
            if (on) m.ChooseOption(index);
        });
    }
    connect(patchList_, &QListWidget::currentRowChanged, this,
            [&m](int row) { m.ClickListEntry(row); });
    connect(patchList_, &QWidget::customContextMenuRequested, this, [this, &m](QPoint at) {
        // The entry under the pointer is the one the menu is about.
        const int row = patchList_->indexAt(at).row();
        if (row >= 0) patchList_->setCurrentRow(row);
        undoLastApply_->setEnabled(m.undoLastApplyEnabled());
        patchMenu_->popup(patchList_->viewport()->mapToGlobal(at));
    });
    connect(undoLastApply_, &QAction::triggered, this, [&m] { m.mnuUndoLastApply_Click(); });
    // Anywhere on the Patch tab; a text box there keeps Ctrl+Z for its own typing.
    auto* undoKey = new QShortcut(QKeySequence::Undo, frames_[0]);
    undoKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(undoKey, &QShortcut::activated, this, [&m] { m.mnuUndoLastApply_Click(); });
    connect(folderButton_, &QPushButton::clicked, this, [&m] { m.txtPickDIR_Click(); });
    connect(applyButton_, &QPushButton::clicked, this, [&m] { m.cmdApply_Click(); });
    connect(updateButton_, &QPushButton::clicked, this, [&m] { m.Command1_Click(); });
    connect(connection_, &sckHTTP::Connected, this, [&m] { m.sckHTTP_Connect(); });
    connect(connection_, &sckHTTP::DataArrival, this, [&m](qint64 bytesTotal) {
        m.sckHTTP_DataArrival(static_cast<std::size_t>(bytesTotal));
    });
    connect(connection_, &sckHTTP::Closed, this, [&m] { m.sckHTTP_Close(); });
    connect(silenceTimer_, &QTimer::timeout, this, [&m] { m.tmrSilence_Timer(); });
    connect(connection_, &sckHTTP::Error, this,
            [&m](const QString& reason) { m.sckHTTP_Error(reason.toLatin1().toStdString()); });
}

QWidget* frmPatcher::ControlFor(window::Control control) const {
    switch (control) {
        case window::Control::txtDir:
            return targetPath_;
        case window::Control::txtUpdateUrl:
            return updateAddress_;
        case window::Control::txtValue:
            return valueBox_;
        case window::Control::txtAbout:
            return updateNotes_;
        case window::Control::lblDescription:
            return descriptionLabel_;
        case window::Control::opOnOff0:
            return optionButtons_[0];
        case window::Control::opOnOff1:
            return optionButtons_[1];
        case window::Control::tabForm0:
            return frames_[0];
        case window::Control::tabForm1:
            return frames_[1];
        case window::Control::tabForm2:
            return frames_[2];
    }
    return nullptr;
}

void frmPatcher::SetText(window::Control control, const std::string& text) {
    QWidget* widget = ControlFor(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        // Setting the same text again would move the caret of a box the user is typing in.
        if (edit->text() != Text(text)) edit->setText(Text(text));
    } else if (auto* notes = qobject_cast<QPlainTextEdit*>(widget)) {
        notes->setPlainText(Text(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(Text(text));
        ToolTipWhereCut(label, Text(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(Text(text));
        ToolTipWhereCut(button, Text(text));
    }
}

void frmPatcher::ToolTipWhereCut(QWidget* control, const QString& text) {
    bool cut = false;
    if (auto* label = qobject_cast<QLabel*>(control); label && label->wordWrap()) {
        const QRect needed = label->fontMetrics().boundingRect(
            QRect(0, 0, label->contentsRect().width(), QWIDGETSIZE_MAX), Qt::TextWordWrap, text);
        // A word longer than a line is not broken: it runs past the right edge.
        cut = needed.height() > label->contentsRect().height() ||
              needed.width() > label->contentsRect().width();
    } else {
        cut = control->sizeHint().width() > control->width();
    }
    control->setToolTip(cut ? text : QString());
}

void frmPatcher::SetVisible(window::Control control, bool visible) {
    ControlFor(control)->setVisible(visible);
}

void frmPatcher::SetOption(int index) {
    optionButtons_.at(static_cast<std::size_t>(index))->setChecked(true);
}

void frmPatcher::SetListEntries(const std::vector<std::string>& entries) {
    patchList_->clear();
    const QFontMetrics metrics = patchList_->fontMetrics();
    // The margin the list's rows keep on either side of their text.
    const int room = patchList_->viewport()->width() - 2 * patchList_->spacing() - 6;
    for (const std::string& entry : entries) {
        auto* item = new QListWidgetItem(Text(entry), patchList_);
        // What shows of an entry is its title: the file name lies beyond the right edge.
        const QString title = Text(entry.substr(0, entry.find(catalogue::kEntryLink)));
        if (metrics.horizontalAdvance(title) > room) item->setToolTip(title);
    }
}

void frmPatcher::SetListIndex(int row) {
    patchList_->setCurrentRow(row);
}

void frmPatcher::SetProgressWidth(int pixels) {
    progressBar_->resize(pixels, progressBar_->height());
}

void frmPatcher::ShowBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void frmPatcher::Repaint() {
    // Paint and timer events only: a click would start a second Apply, and the update's socket
    // events could reload the window under the running one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}

void frmPatcher::ShowMessage(const std::string& text) {
    qt::ShowMessage(this, Text(text));
}

bool frmPatcher::AskQuestion(const std::string& text) {
    return qt::AskQuestion(this, Text(text));
}

std::optional<std::string> frmPatcher::BrowseFolder() {
    const QString folder = dirthing::BrowseFolder();
    if (folder.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(folder).toStdString();
}

}  // namespace korrin::qt
