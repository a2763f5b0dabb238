#include "engine/ProcessSetUp.h"
#include "ui/CFennexAVConverterApp.h"

int main(int argc, char* argv[])
{
    // The window has no --verbose: FFmpeg stays quiet.
    SetUpProcess(false);
    CFennexAVConverterApp app(argc, argv);
    return app.InitInstance();
}
