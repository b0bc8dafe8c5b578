#include "app/Splash.h"

#include "sgeditor/SGEditor.h"
#include "uieditor/UIEditor.h"
#include "widgets/EnterKey.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QResource>
#include <QScreen>
#include <QtEndian>

TfrmSplash* frmSplash = nullptr;

namespace {

// The client area of a 508 x 409 window with its frame and title bar. The
// controls sit at fixed positions, so the window cannot be resized.
constexpr int ClientWidth = 500;
constexpr int ClientHeight = 375;

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, int x, int width)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(x, 344, width, 25);
    return button;
}

// The picture is kept as a top-down 32-bit bitmap (art/draw_tank.py), whose
// pixels are laid out as a Format_RGB32 image: taken where they lie, they
// spare the image reader's search for format plugins and its decoding, a
// tenth of the time to the first paint.
QPixmap TankPicture()
{
    const QResource bitmap(":/app/tank.bmp");
    const uchar* bytes = bitmap.data();
    auto field = [bytes](int offset) { return qFromLittleEndian<qint32>(bytes + offset); };
    return QPixmap::fromImage(QImage(bytes + field(10), field(18), -field(22), QImage::Format_RGB32));
}

}  // namespace

TfrmSplash::TfrmSplash(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("frmSplash");
    setWindowTitle("Duvari 2 Editor ver 1.5 Main Menu");
    setFixedSize(ClientWidth, ClientHeight);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    lblTitle = new QLabel("Duvari 2 Editor version 1.5", this);
    lblTitle->setObjectName("lblTitle");
    lblTitle->setGeometry(32, 8, 437, 32);
    lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont titleFont("Times New Roman");
    titleFont.setPixelSize(29);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    QPalette yellow = lblTitle->palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    lblTitle->setPalette(yellow);

    JPEGImage1 = new QLabel(this);
    JPEGImage1->setObjectName("JPEGImage1");
    JPEGImage1->setPixmap(TankPicture());
    JPEGImage1->move(0, 48);
    JPEGImage1->resize(JPEGImage1->sizeHint());

    QPushButton* btnUEdit = Button(this, "btnUEdit", "Unit &Attribute Editor", 40, 129);
    QPushButton* btnSGEdit = Button(this, "btnSGEdit", "&Save Game Editor", 216, 129);
    btnExit = Button(this, "btnExit", "E&xit", 408, 59);
    setTabOrder(btnUEdit, btnSGEdit);
    setTabOrder(btnSGEdit, btnExit);
    PressFocusedButtonOnEnter(this);
    // Each editor opens modally; the menu waits until it is closed. The
    // editors have no parent window to hand the keyboard back to.
    connect(btnUEdit, &QPushButton::clicked, this, [this] {
        frmDV2Edit->exec();
        activateWindow();
    });
    connect(btnSGEdit, &QPushButton::clicked, this, [this] {
        frmDV2SGEdit->exec();
        activateWindow();
    });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);

    move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());
}
