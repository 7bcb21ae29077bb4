#include "Scale.h"

#include <memory>

#include "BenchWindow.h"
#include "Clock.h"
#include "app/MainDialog.h"
#include "fakes/directx/FakeDxDiag.h"
#include "fakes/process/FakeProcessApi.h"
#include "fakes/service/FakeServiceApi.h"
#include "info/directx/DirectXInfo.h"
#include "info/process/ProcessInfo.h"
#include "info/service/ServiceInfo.h"
#include "view/CustomEdit.h"

namespace {

std::string Numbered(const char* stem, int number)
{
    char text[64];
    wsprintfA(text, "%s%05d", stem, number);
    return text;
}

void FillProcesses(TFakeProcessApi& api, int size)
{
    for (int i = 0; i < size; ++i) {
        const DWORD id = 4 * static_cast<DWORD>(i + 1);
        const std::string name = Numbered("game", i) + ".exe";
        api.Processes.push_back({id, name});
        api.Modules[id] = {{"ntdll.dll", "C:\\WINDOWS\\system32\\ntdll.dll"},
                           {name, "C:\\Program Files\\ゲーム\\bin\\" + name}};
    }
}

void FillServices(TFakeServiceApi& api, int size)
{
    const DWORD states[] = {SERVICE_RUNNING, SERVICE_STOPPED, SERVICE_PAUSED};
    for (int i = 0; i < size; ++i) {
        const DWORD type = i % 2 ? SERVICE_DRIVER : SERVICE_WIN32;
        api.Services[type].push_back({Numbered("サービス ", i), Numbered("svc", i), states[i % 3]});
    }
}

std::wstring WideNumbered(const wchar_t* stem, int number)
{
    wchar_t text[64];
    wsprintfW(text, L"%s%05d", stem, number);
    return text;
}

void FillFiles(TFakeApi& api, int size)
{
    TFakeContainer& files = api.Provider.Root.Child(L"DxDiag_DirectXFiles");
    for (int i = 0; i < size; ++i) {
        TFakeContainer& file = files.Child(std::to_wstring(i));
        file.SetText(L"szName", WideNumbered(L"d3dx9_", i) + L".dll");
        file.SetText(L"szVersion", L"9.29.0952.3111");
        file.SetText(L"szLanguageEnglish", L"Japanese");
        file.SetText(L"szDatestampLocalized", L"2009/10/31");
        file.Set(L"lNumBytes", VT_I4, 1885696 + i);
        file.Set(L"bDebug", VT_BOOL, i % 7 == 0 ? -1 : 0);
        file.Set(L"bBeta", VT_BOOL, 0);
    }
}

// Times Collect of fresh collectors made by make, and keeps the last one.
template <typename Make>
TScalePoint MeasureCollector(const char* what, int size, int runs, Make make, std::unique_ptr<TBaseInfo>& kept)
{
    // This machine's Windows, as a run is told it: the fakes list processes and services as NT does.
    const OsVersionRecord version = ReadOsVersion();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        std::unique_ptr<TBaseInfo> collector = make();
        const double start = NowMs();
        collector->Collect(version);
        times.push_back(NowMs() - start);
        kept = std::move(collector);
    }
    return {what, size, Median(times), 0, 0};
}

struct TPass2Work {
    std::vector<TBaseInfo*>* Collectors;
    HWND Dialog;
    TCustomEdit* View;
    DWORD Owner;
    double Ms;
};

DWORD WINAPI ShowAll(LPVOID argument)
{
    TPass2Work& work = *static_cast<TPass2Work*>(argument);
    const double start = NowMs();
    TDialogRunView run(work.Dialog, *work.View);
    const std::atomic<bool> going(false);
    for (TBaseInfo* collector : *work.Collectors) run.Show(*collector, going);
    work.Ms = NowMs() - start;
    PostThreadMessageA(work.Owner, WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

double MeasurePass2(std::vector<TBaseInfo*>& collectors, double& longestAnswerMs)
{
    TBenchDialog dialog;
    TPass2Work work = {&collectors, dialog.Window(), FindCustomEdit(GetDlgItem(dialog.Window(), IDC_VIEW)),
                       GetCurrentThreadId(), 0};
    TAnswerProbe probe(dialog.Window());
    HANDLE thread = CreateThread(nullptr, 0, &ShowAll, &work, 0, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    longestAnswerMs = probe.LongestMs();
    return work.Ms;
}

std::vector<TScalePoint> MeasureScale(int size, int runs)
{
    TFakeProcessApi processApi;
    FillProcesses(processApi, size);
    TFakeServiceApi serviceApi;
    FillServices(serviceApi, size);
    TFakeApi directXApi;
    FillFiles(directXApi, size);

    std::unique_ptr<TBaseInfo> process, service, directX;
    std::vector<TScalePoint> points;
    points.push_back(MeasureCollector(
        "processes", size, runs, [&] { return std::unique_ptr<TBaseInfo>(new TProcessInfo(processApi)); }, process));
    points.back().Rows = static_cast<size_t>(size);
    points.push_back(MeasureCollector(
        "services", size, runs, [&] { return std::unique_ptr<TBaseInfo>(new TServiceInfo(serviceApi)); }, service));
    points.back().Rows = static_cast<size_t>(size);
    points.push_back(MeasureCollector(
        "DirectX files", size, runs, [&] { return std::unique_ptr<TBaseInfo>(new TDirectXInfo(directXApi)); },
        directX));
    points.back().Rows = static_cast<size_t>(size);

    // Pass 2 strips the elements in place, so each run shows fresh copies.
    std::vector<double> times, answers;
    size_t elements = 0;
    for (int run = 0; run < runs; ++run) {
        std::vector<std::unique_ptr<TBaseInfo>> copies;
        std::vector<TBaseInfo*> list;
        for (TBaseInfo* source : {process.get(), service.get(), directX.get()}) {
            copies.emplace_back(new TGivenLines(source->GetLines()));
            list.push_back(copies.back().get());
        }
        elements = 0;
        for (TBaseInfo* collector : list) elements += collector->GetLines().size();
        double answer = 0;
        times.push_back(MeasurePass2(list, answer));
        answers.push_back(answer);
    }
    points.push_back({"pass 2", size, Median(times), elements, Median(answers)});
    return points;
}
