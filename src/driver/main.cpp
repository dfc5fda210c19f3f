// Process entry point of quorvanel.
#include "driver/pos.h"

int main(int argc, char **argv)
{
    return qv::runQuorvanel(argc, argv);
}
