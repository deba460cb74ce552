#include "app/frmPatcher.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/artwork.h"
#include "catalogue/catalogue.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/settings.h"

namespace korrin {
namespace {

const QString kDefaultUpdateAddress = QStringLiteral("korrin.example.net/patch/");

const QString kWelcome = QStringLiteral(
    "Welcome to the update centre. This part \r\n"
    "of the patcher allows you to keep up with \r\n"
    "the latest base-patches. That is, the \r\n"
    "patches created by Korrin staff \r\n"
    "members.\r\n"
    "\r\n"
    "While I'm sure there are other patches \r\n"
    "out there, they will not be posted in \r\n"
    "auto-update unless they do something\r\n"
    "that is unique, and functional.\r\n");

const QString kDescription = QStringLiteral(
    "This is a little note about the patch, what it does, how it works, and what its value "
    "coresponds to.");

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

}  // namespace

QString AppFolder() {
    return QString::fromStdString(platform::WithTrailingSeparator(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));
}

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

frmPatcher::frmPatcher(QString programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      programFolder_(std::move(programFolder)) {
    LoadFonts();
    BuildControls();
    Form_Load();
}

frmPatcher::~frmPatcher() = default;

void frmPatcher::BuildControls() {
    setObjectName(QStringLiteral("frmPatcher"));
    setWindowTitle(QStringLiteral("Korrin Patcher 1.0"));
    setWindowIcon(artwork::WindowIcon());
    setFixedSize(360, 273);
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));

    const QPalette system = palette();
    const QColor workspace(128, 128, 128);
    const QColor highlightedText = system.color(QPalette::HighlightedText);
    const QColor shadow = system.color(QPalette::Dark);
    const QColor light = system.color(QPalette::Light);

    // The tab strip, headers from top to bottom: Find (1), Patch (0), Updates (2), Exit (3).
    Picture1 = Place(new QFrame(this), QStringLiteral("Picture1"), 9, 17, 88, 247);
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);
    Picture1->setAutoFillBackground(true);
    QPalette strip = Picture1->palette();
    strip.setColor(QPalette::Window, workspace);
    Picture1->setPalette(strip);
    Picture1->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));

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
    for (const Header& h : headers) {
        auto* icon = new ClickableLabel(Picture1);
        icon->setObjectName(ArrayName("tabPick", h.index));
        icon->setGeometry(h.iconPlace);
        icon->setPixmap(h.icon);
        icon->setCursor(Qt::PointingHandCursor);
        tabPick[h.index] = icon;

        auto* caption = new ClickableLabel(QString::fromLatin1(h.caption), Picture1);
        caption->setObjectName(ArrayName("lblTab", h.index));
        caption->setGeometry(h.captionPlace);
        caption->setAlignment(Qt::AlignCenter);
        caption->setAttribute(Qt::WA_TranslucentBackground);
        QPalette text = caption->palette();
        text.setColor(QPalette::WindowText, highlightedText);
        caption->setPalette(text);
        caption->setCursor(Qt::PointingHandCursor);
        lblTab[h.index] = caption;

        const short index = static_cast<short>(h.index);
        connect(icon, &ClickableLabel::clicked, this, [this, index] { tabPick_Click(index); });
        connect(caption, &ClickableLabel::clicked, this, [this, index] { lblTab_Click(index); });
    }

    auto separator = [&](QWidget* frame, int index, int x1, int y1, int x2, bool highlight) {
        auto* line = Place(new QFrame(frame), ArrayName("ThreeD", index), x1, y1, x2 - x1, 1);
        line->setAutoFillBackground(true);
        QPalette colour = line->palette();
        colour.setColor(QPalette::Window, highlight ? light : shadow);
        line->setPalette(colour);
        ThreeD[index] = line;
    };

    // Updates tab.
    QGroupBox* update = Place(new QGroupBox(QStringLiteral("Update from the internet"), this),
                              ArrayName("tabForm", 2), 105, 11, 247, 253);
    tabForm[2] = update;
    update->hide();
    Command1 = Place(new QPushButton(QStringLiteral("Update"), update), QStringLiteral("Command1"),
                     192, 55, 45, 18);
    Command1->setFont(PixelFont(QStringLiteral("Tahoma"), 9));
    txtAbout = Place(new QPlainTextEdit(update), QStringLiteral("txtAbout"), 10, 93, 227, 149);
    txtAbout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtAbout->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAboutText(kWelcome);
    pertotal = Place(new QFrame(update), QStringLiteral("pertotal"), 10, 55, 175, 17);
    pertotal->setFrameShape(QFrame::Panel);
    pertotal->setFrameShadow(QFrame::Sunken);
    perDone = Place(new QFrame(pertotal), QStringLiteral("perDone"), 0, 0, 8, 14);
    perDone->setAutoFillBackground(true);
    QPalette fill = perDone->palette();
    fill.setColor(QPalette::Window, system.color(QPalette::Highlight));
    perDone->setPalette(fill);
    txtUpdateUrl = Place(new QLineEdit(kDefaultUpdateAddress, update),
                         QStringLiteral("txtUpdateUrl"), 96, 16, 142, 20);
    separator(update, 5, 2, 43, 246, false);
    separator(update, 4, -1, 44, 245, true);
    lbl[0] = Place(new QLabel(QStringLiteral("Update address:"), update), ArrayName("lbl", 0), 9,
                   19, 84, 14);
    separator(update, 6, 1, 81, 245, false);
    separator(update, 7, 0, 82, 246, true);

    // Find tab, the one shown at start.
    QGroupBox* find = Place(new QGroupBox(QStringLiteral("Let's get started!"), this),
                            ArrayName("tabForm", 1), 105, 11, 247, 253);
    tabForm[1] = find;
    Picture2 = Place(new QLabel(find), QStringLiteral("Picture2"), 12, 20, 223, 176);
    Picture2->setFrameShape(QFrame::Panel);
    Picture2->setFrameShadow(QFrame::Sunken);
    Picture2->setAlignment(Qt::AlignCenter);
    Picture2->setPixmap(artwork::TitlePicture());
    txtPickDIR = Place(new QPushButton(find), QStringLiteral("txtPickDIR"), 210, 221, 24, 20);
    txtPickDIR->setIcon(QIcon(artwork::FolderPicture()));
    txtPickDIR->setIconSize(QSize(16, 16));
    txtPickDIR->setToolTip(QStringLiteral("Choose the folder that holds vplaces.exe"));
    txtDir = Place(new QLineEdit(QStringLiteral("C:\\"), find), QStringLiteral("txtDir"), 10, 221,
                   193, 20);
    Label1 = Place(new QLabel(QStringLiteral("Location of the VP executable:"), find),
                   QStringLiteral("Label1"), 10, 202, 156, 14);

    // Patch tab.
    QGroupBox* patch = Place(new QGroupBox(QStringLiteral("Patch"), this), ArrayName("tabForm", 0),
                             105, 11, 247, 253);
    tabForm[0] = patch;
    patch->hide();
    lstPatch = Place(new QListWidget(patch), QStringLiteral("lstPatch"), 55, 16, 180, 69);
    lstPatch->setSelectionMode(QAbstractItemView::SingleSelection);
    // Entries carry their file name beyond the right edge; it must stay out of sight.
    lstPatch->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstPatch->setTextElideMode(Qt::ElideNone);
    lstPatch->setUniformItemSizes(true);
    cmdApply = Place(new QPushButton(QStringLiteral("Apply"), patch), QStringLiteral("cmdApply"),
                     181, 222, 55, 21);
    txtValue = Place(new QLineEdit(QStringLiteral("Patch value"), patch),
                     QStringLiteral("txtValue"), 52, 182, 182, 19);
    opOnOff[0] = Place(new QRadioButton(QStringLiteral("On"), patch), ArrayName("opOnOff", 0), 73,
                       183, 74, 19);
    opOnOff[1] = Place(new QRadioButton(QStringLiteral("Off"), patch), ArrayName("opOnOff", 1), 165,
                       183, 74, 19);
    for (QRadioButton* option : opOnOff)
        option->setFont(PixelFont(QStringLiteral("Tahoma"), 11, true));
    separator(patch, 2, 1, 210, 245, false);
    separator(patch, 3, -2, 211, 244, true);
    separator(patch, 0, 1, 95, 245, false);
    separator(patch, 1, -2, 96, 244, true);
    lbl[4] = Place(new QLabel(QStringLiteral("Name:"), patch), ArrayName("lbl", 4), 13, 19, 34, 13);
    lbl[3] =
        Place(new QLabel(QStringLiteral("Value:"), patch), ArrayName("lbl", 3), 12, 184, 34, 13);
    lblDescription =
        Place(new QLabel(kDescription, patch), QStringLiteral("lblDescription"), 55, 110, 178, 53);
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbl[2] =
        Place(new QLabel(QStringLiteral("Info:"), patch), ArrayName("lbl", 2), 12, 110, 57, 13);
    lblBuild = Place(new QLabel(QStringLiteral("Buildnumber"), patch), QStringLiteral("lblBuild"),
                     74, 104, 167, 15);
    lblBuild->hide();
    lbl[1] =
        Place(new QLabel(QStringLiteral("Build:"), patch), ArrayName("lbl", 1), 12, 104, 34, 13);
    lbl[1]->hide();

    connect(txtDir, &QLineEdit::textChanged, this, [this] { txtDir_Change(); });
    connect(txtUpdateUrl, &QLineEdit::textChanged, this, [this] { txtUpdateUrl_Change(); });
    connect(lstPatch, &QListWidget::currentRowChanged, this, [this] { lstPatch_Click(); });
    connect(txtPickDIR, &QPushButton::clicked, this, [this] { txtPickDIR_Click(); });
    connect(cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    BuildUpdateConnection();
}

void frmPatcher::tabPick_Click(short Index) {
    for (QGroupBox* frame : tabForm) frame->hide();
    if (Index == 3) {
        EndProgram();
        return;
    }
    // An index without a frame shows nothing, and says nothing.
    if (Index >= 0 && Index < static_cast<short>(tabForm.size())) tabForm[Index]->show();
}

void frmPatcher::lblTab_Click(short Index) {
    tabPick_Click(Index);
}

void frmPatcher::Form_Load() {
    platform::FileSystem& fs = platform::FileSystem::Default();
    const std::string folder = QFile::encodeName(programFolder_).toStdString();
    for (const catalogue::CatalogueEntry& entry : catalogue::ScanCatalogue(fs, folder)) {
        // Latin-1 keeps every byte: the title as the file wrote it, the name as the disk has it.
        lstPatch->addItem(platform::FromCodePage(entry.text()));
    }
    if (lstPatch->count() > 0) lstPatch->setCurrentRow(0);

    txtDir->setText(platform::ReadSetting(platform::kSettingPath, txtDir->text()));
    txtUpdateUrl->setText(platform::ReadSetting(platform::kSettingUrl, txtUpdateUrl->text()));
}

void frmPatcher::txtDir_Change() {
    platform::WriteSetting(platform::kSettingPath, txtDir->text());
}

void frmPatcher::txtUpdateUrl_Change() {
    platform::WriteSetting(platform::kSettingUrl, txtUpdateUrl->text());
}

QString frmPatcher::aboutText() const {
    QString text = txtAbout->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void frmPatcher::setAboutText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtAbout->setPlainText(shown);
}

}  // namespace korrin
