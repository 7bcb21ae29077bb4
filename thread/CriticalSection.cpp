#include "thread/CriticalSection.h"

TCriticalSection::~TCriticalSection() { DeleteCriticalSection(&Section); }

bool TCriticalSection::Initialize()
{
    InitializeCriticalSection(&Section);
    return true;
}

bool TCriticalSection::Enter()
{
    EnterCriticalSection(&Section);
    return true;
}

bool TCriticalSection::Leave()
{
    LeaveCriticalSection(&Section);
    return true;
}
