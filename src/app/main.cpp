#include "shell/convertapp.h"

int main(int argc, char** argv)
{
    CConvertApp app;
    return app.Run(argc, argv);
}
