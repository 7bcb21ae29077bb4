#ifndef ENVCHECK_INFO_DIRECTX_DIRECTXINFO_H
#define ENVCHECK_INFO_DIRECTX_DIRECTXINFO_H

#include <d3d9.h>
#include <dxdiag.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "info/BaseInfo.h"
#include "info/ComRef.h"
#include "info/SystemLibrary.h"
#include "info/directx/DirectXApi.h"

// One named property of a diagnostic container and the type it is read as.
struct DxPropertyRow {
    VARTYPE Type;
    const wchar_t* Name;
};

// A property the provider had with its table's type, as the report writes it.
struct DxPropertyRecord {
    std::string Name, Value;
};

// One container's properties, in table order; those it lacked are left out.
using DxProperties = std::vector<DxPropertyRecord>;

// What the Direct3D 9 adapter says of itself: its numbers as it gave them,
// its texts as the report writes them.
struct DxAdapterRecord {
    bool Identified = false;  // false: the adapter gave no identifier and has no lines
    std::string Driver, Description, DeviceIdentifier;
    LARGE_INTEGER DriverVersion = {};
    DWORD VendorId = 0, DeviceId = 0, SubSysId = 0, Revision = 0, WHQLLevel = 0;
};

// One DirectX file as its row of the files table shows it.
struct DxFileRecord {
    bool Debug = false, Beta = false;
    std::string Size, Date, Language, Version, Name;
};

// A list the provider keeps (the system alone, the devices, the files): what
// was read of it, in order. A failure stops the walk; what was read stays.
template <typename Item>
struct DxListRecord {
    bool Opened = false;  // the list and its count answered
    std::vector<Item> Items;
    bool Complete = false;  // every item was read
};

// What one run reads, in the order it is read.
struct DirectXRecord {
    bool ProviderOpened = false;   // false: the provider, its start or its root failed; nothing to write
    bool Direct3DCreated = false;  // false: only the failure is written
    DxAdapterRecord Adapter;
    DxListRecord<DxProperties> System, Sound, Display;
    DxListRecord<DxFileRecord> Files;
};

// The DirectX section: the Direct3D 9 adapter, then what the diagnostic
// provider reports of the system, the sound and display devices and the
// DirectX files.
class TDirectXInfo : public TBaseInfo {
public:
    explicit TDirectXInfo(TDirectXApi& api = Win32DirectXApi());
    ~TDirectXInfo() override;
    void Collect(const OsVersionRecord& version) override;

    // The properties of a table the container has with their types, in table order.
    DxProperties ReadProperties(IDxDiagContainer* container, const DxPropertyRow* rows, size_t count);
    // A property's value as the report writes it, empty when the container lacks it with that type.
    std::string ReadText(IDxDiagContainer* container, const wchar_t* name, VARTYPE type);

private:
    // A VT_BOOL property; false when the container lacks it.
    bool ReadFlag(IDxDiagContainer* container, const wchar_t* name);
    // Everything the provider and Direct3D answer, every reference released afterwards.
    DirectXRecord Read();
    bool OpenProvider();
    void ReleaseInterfaces();
    DxAdapterRecord ReadAdapter();
    DxListRecord<DxProperties> ReadSystem();
    DxListRecord<DxProperties> ReadDevices(const wchar_t* path, const DxPropertyRow* rows, size_t count);
    DxListRecord<DxFileRecord> ReadFiles();
    // Hands each child of the list at path to read, in order, each released
    // before the next is named; false when anything fails on the way.
    bool WalkList(const wchar_t* path, bool& opened, const std::function<void(IDxDiagContainer*)>& read);

    // Hands the property to use when the container has it with the type, then clears it.
    template <typename Use>
    void WithProp(IDxDiagContainer* container, const wchar_t* name, VARTYPE type, Use use);
    std::string ValueText(const VARIANT& value);
    // Wide text in the report's code page, at most 511 bytes, never
    // ending in half a double-byte character.
    std::string NarrowText(const wchar_t* wide);

    // Released in ReleaseInterfaces' order: Direct3D before its library.
    TComRef<IDirect3D9> Direct3D;
    TComRef<IDxDiagProvider> Provider;
    TComRef<IDxDiagContainer> Root;
    // d3d9.dll holds Direct3D's code, so it stays loaded while Direct3D lives.
    std::unique_ptr<TSystemLibrary> Direct3DLibrary;
    TDirectXApi& Api;
};

// The whole section: nothing when the provider did not open, the failure
// alone without Direct3D, else the adapter and the provider's four parts.
void WriteDirectXSection(const DirectXRecord& record, TSection& section);
void WriteAdapterSection(const DxAdapterRecord& adapter, TSection& section);
// The heading, each item's properties with nothing between items, and the
// empty row only after a whole list.
void WriteDeviceSection(const char* heading, const DxListRecord<DxProperties>& list, TSection& section);
void WriteFilesSection(const DxListRecord<DxFileRecord>& files, TSection& section);

// The text after the WHQL label: uncertified, certified without a date, or the packed date.
std::string WhqlLevelText(DWORD level);

#endif
