#include "platform/CRand.h"

CRand& CRand::Shared()
{
    static CRand shared;
    return shared;
}
