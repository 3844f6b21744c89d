// inventory/registry_names.h: the registry keys and values the walks read and the commit writes.
//
// Each name is written here once; key paths are joined from these names when the program is
// compiled, so a path can never spell a level differently from the name the records hold.
#ifndef KORVALIN_INVENTORY_REGISTRY_NAMES_H
#define KORVALIN_INVENTORY_REGISTRY_NAMES_H

#include <stddef.h>

template <size_t N>
struct KeyPath {
    char text[N];
};

// "parent\child" as a constant, joined when the program is compiled (JoinKeyPath of
// platform/registry.h joins at run time). Both sizes count the terminating NUL; the parent's
// becomes the backslash.
template <size_t P, size_t C>
constexpr KeyPath<P + C> ConstantKeyPath(const char (&parent)[P], const char (&child)[C]) {
    KeyPath<P + C> path{};
    for (size_t i = 0; i + 1 < P; ++i)
        path.text[i] = parent[i];
    path.text[P - 1] = '\\';
    for (size_t i = 0; i < C; ++i)
        path.text[P + i] = child[i];
    return path;
}

template <size_t P, size_t C>
constexpr KeyPath<P + C> ConstantKeyPath(const KeyPath<P>& parent, const char (&child)[C]) {
    return ConstantKeyPath(parent.text, child);
}

// Hardware keys below HKEY_LOCAL_MACHINE\Enum. A board's enumeratorName refers to one of the
// first three.
inline constexpr char kEnumKeyName[] = "Enum";
inline constexpr char kBiosEnumerator[] = "BIOS";
inline constexpr char kRootEnumerator[] = "Root";
inline constexpr char kIsaPnpEnumerator[] = "ISAPNP";
inline constexpr char kMfEnumerator[] = "MF";
inline constexpr auto kBiosPath = ConstantKeyPath(kEnumKeyName, kBiosEnumerator);
inline constexpr auto kRootPath = ConstantKeyPath(kEnumKeyName, kRootEnumerator);
inline constexpr auto kIsaPnpPath = ConstantKeyPath(kEnumKeyName, kIsaPnpEnumerator);
inline constexpr auto kMfPath = ConstantKeyPath(kEnumKeyName, kMfEnumerator);

// Device-ID keys of standard serial ports under Enum\BIOS and Enum\Root. The third is
// Enum\Root's key for the Ports class, named after the class (kPortsClassName below).
inline constexpr char kPnp0500DeviceId[] = "*PNP0500";
inline constexpr char kPnp0501DeviceId[] = "*PNP0501";

// Every device key name of the maker's Plug and Play boards begins with these three letters,
// under Enum\ISAPNP and after the first '&' of an Enum\MF instance key name alike.
inline constexpr char kMakersDeviceIdPrefix[] = "QVX";

// The multifunction child keys under Enum\MF, by child number.
inline constexpr const char* kChildKeyNames[] = {"CHILD0000", "CHILD0001", "CHILD0002",
                                                 "CHILD0003"};

// Device classes. A port's Driver value is a path below the class root, beginning with its
// class name and a backslash.
inline constexpr char kClassRootPath[] = "System\\CurrentControlSet\\Services\\Class";
inline constexpr char kSystemClassName[] = "System";
inline constexpr char kPortsClassName[] = "Ports";
inline constexpr char kMultiFunctionClassName[] = "MultiFunction";
inline constexpr auto kPortsClassPath = ConstantKeyPath(kClassRootPath, kPortsClassName);

// Values.
inline constexpr char kDeviceDescValue[] = "DeviceDesc";  // a legacy instance's description
inline constexpr char kDriverValue[] = "Driver";          // a port's driverKey
inline constexpr char kPortNameValue[] = "PORTNAME";      // a port's COM name
inline constexpr char kPortDriverValue[] = "PortDriver";  // a Ports class key's driver file

// The maker's driver files in the system directory, in the order the clean-up deletes them. The
// two port drivers are also what the PortDriver value of the maker's class keys names.
inline constexpr char kQuorvanePortDriver[] = "quorvane.vxd";
inline constexpr char kBrisquelPortDriver[] = "brisquel.vxd";
inline constexpr const char* kMakersPortDrivers[] = {kQuorvanePortDriver, kBrisquelPortDriver};
inline constexpr const char* kMakersDriverFiles[] = {
    kQuorvanePortDriver, "quorvane.dll", "quorvane.hlp", kBrisquelPortDriver, "halvetor.dll"};

#endif
