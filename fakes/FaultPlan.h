#ifndef ENVCHECK_FAKES_FAULTPLAN_H
#define ENVCHECK_FAKES_FAULTPLAN_H

#include <string>
#include <vector>

// Which platform call of a run fails. Every fake call that can fail asks at
// its entry and, when it is the one, returns what the real call returns on
// failure. A release that fails still counts as done: the caller can do no more.
class TFaultPlan {
public:
    // A new run: calls are counted from 1; failAt 0 fails none.
    void Reset(int failAt = 0, bool record = false)
    {
        Calls = 0;
        FailAt = failAt;
        Failed = nullptr;
        Record = record;
        Names.clear();
    }
    bool Fails(const char* call)
    {
        if (Record) Names.push_back(call);
        if (++Calls != FailAt) return false;
        Failed = call;
        return true;
    }
    std::string Describe() const
    {
        return "call " + std::to_string(FailAt) + " (" + (Failed != nullptr ? Failed : "none") + ") failed";
    }

    int Calls = 0;
    int FailAt = 0;
    const char* Failed = nullptr;
    bool Record = false;
    std::vector<const char*> Names;  // the calls made, while recording
};

inline TFaultPlan FaultPlan;

#endif
