// Process entry point of quorvanel.
#include "driver/runsequence.h"

int main(int argc, char** argv)
{
    return qv::runQuorvanel(argc, argv);
}
