#include <QApplication>
#include <QMessageBox>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, QStringLiteral("استقرار"), QStringLiteral("برنامه در حال ساخت است."));
    return 0;
}
