// The second floor of the start-up figure: the least a Qt Widgets program
// does to show one line of text in the program's font, which the empty
// window does not pay for (the font database, a font's glyphs).
#include <QApplication>
#include <QFont>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    QApplication::setFont(font);
    QLabel text("Duvari 2 Editor ver 1.5 Main Menu");
    text.show();
    return app.exec();
}
