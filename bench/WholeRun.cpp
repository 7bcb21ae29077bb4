#include "WholeRun.h"

// Before windows.h, for the network collector.
#include <winsock2.h>

#include <memory>

#include "BenchWindow.h"
#include "TimedApis.h"
#include "Thunk.h"
#include "TimedCollector.h"
#include "app/CheckThread.h"
#include "app/MainDialog.h"
#include "app/ShellApi.h"
#include "info/current/CurrentSystemInfo.h"
#include "info/directx/DirectXInfo.h"
#include "info/drive/DriveInfo.h"
#include "info/network/NetworkInfo.h"
#include "info/process/ProcessInfo.h"
#include "info/service/ServiceInfo.h"
#include "info/system/SystemInfo.h"
#include "view/CustomEdit.h"

namespace {

class TTimedShellApi : public TShellApi {
public:
    // The worker's first call: from here on only its calls count, so the
    // dialog's own painting meanwhile is not counted twice.
    HRESULT CoInitialize(LPVOID reserved) override
    {
        TPlatformCall::CountOnly(GetCurrentThreadId());
        return Timed([&] { return Win32ShellApi().CoInitialize(reserved); });
    }
    void CoUninitialize() override { Timed([&] { Win32ShellApi().CoUninitialize(); }); }
    int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override
    {
        return Win32ShellApi().MessageBoxW(owner, text, caption, type);
    }
    BOOL GetSaveFileNameW(LPOPENFILENAMEW record) override { return Win32ShellApi().GetSaveFileNameW(record); }
};

// The real platform's seams, timed; one set for every run.
struct TTimedPlatform {
    TTimedSystemApi System;
    TTimedRegistryApi Registry;
    TTimedCpuidApi Cpuid;
    TTimedDirectXApi DirectX;
    TTimedProcessApi Process;
    TTimedServiceApi Service;
    TTimedNetworkApi Network;
    TTimedDriveApi Drive;
    TTimedCurrentSystemApi Current;
    TTimedShellApi Shell;
    TTimedVersionApi Version;
};

std::vector<std::unique_ptr<TTimedCollector>> CreateTimedCollectors(TTimedPlatform& platform)
{
    std::vector<std::unique_ptr<TTimedCollector>> collectors;
    auto add = [&](TBaseInfo* collector) {
        collectors.emplace_back(new TTimedCollector(std::unique_ptr<TBaseInfo>(collector)));
    };
    add(new TSystemInfo(platform.System, platform.Registry, platform.Cpuid));
    add(new TDirectXInfo(platform.DirectX));
    add(new TProcessInfo(platform.Process));
    add(new TServiceInfo(platform.Service));
    add(new TNetworkInfo(platform.Network, platform.Registry));
    add(new TDriveInfo(platform.Drive));
    add(new TCurrentSystemInfo(platform.Current, platform.Registry, platform.Cpuid));
    return collectors;
}

}  // namespace

TWholeRun RunWholeReport(std::deque<std::string>* report)
{
    static TTimedPlatform platform;
    TBenchDialog dialog;
    std::vector<std::unique_ptr<TTimedCollector>> collectors = CreateTimedCollectors(platform);
    std::vector<TBaseInfo*> list;
    for (auto& collector : collectors) list.push_back(collector.get());

    const OsVersionRecord version = ReadOsVersion(platform.Version);
    TDialogRunView view(dialog.Window(), *FindCustomEdit(GetDlgItem(dialog.Window(), IDC_VIEW)));
    TCheckThread worker(list, version, view, platform.Shell);
    worker.Create(true);

    TWholeRun run;
    TSaveEnabled saveEnabled;
    double start;
    double platformBefore;
    {
        TAnswerProbe probe(dialog.Window());
        platformBefore = TPlatformCall::TotalMs();
        TFamilyClock::Take();
        start = NowMs();
        worker.Resume();
        saveEnabled = dialog.PumpUntilSaveEnabled();
        run.LongestAnswerMs = probe.LongestMs();
    }
    worker.WaitFor();
    TPlatformCall::CountOnly(0);

    run.FamilyMs = TFamilyClock::Take();
    run.PlatformTotalMs = saveEnabled.PlatformMs - platformBefore;
    run.TotalMs = saveEnabled.AtMs - start;
    run.Pass2Ms = saveEnabled.AtMs - collectors.back()->Ended;
    run.Pass2PlatformMs = saveEnabled.PlatformMs - collectors.back()->PlatformAtEnd;
    for (auto& collector : collectors) {
        run.Collectors.push_back(collector->GetTitle());
        run.CollectMs.push_back(collector->CollectMs);
        run.PlatformMs.push_back(collector->PlatformMs);
        run.Elements += collector->GetLines().size();
        if (report != nullptr) report->insert(report->end(), collector->GetLines().begin(), collector->GetLines().end());
    }
    return run;
}
