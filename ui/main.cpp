#include "ui/CFennexAVConverterApp.h"

int main(int argc, char* argv[])
{
    CFennexAVConverterApp app(argc, argv);
    return app.InitInstance();
}
