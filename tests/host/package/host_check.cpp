// Places the control as a host does and opens the form on the database named by argv[1].
#include <host/velaAssetEst.h>

#include <QApplication>
#include <cstdio>

extern "C" int c_check_version(void);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2 || !c_check_version())
        return 2;
    QWidget window;
    auto *asset = new velaAssetEst(&window);
    asset->setUserID(1);
    asset->setOLEConnectionString(QString::fromLocal8Bit(argv[1]));
    try {
        asset->View(1);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("opened\n");
    return 0;
}
