// A host that places the control and opens record 1 of the database named by argv[1].
#include <QApplication>
#include <host/velaAssetEst.h>

extern "C" int c_check_version(void);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    velaAssetEst asset;
    asset.setUserID(1);
    asset.setOLEConnectionString(QString::fromLocal8Bit(argc > 1 ? argv[1] : ""));
    asset.View(1); // a failure ends the program with the exception
    return c_check_version() ? 0 : 1;
}
