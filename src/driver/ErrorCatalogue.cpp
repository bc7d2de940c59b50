#include "driver/ErrorCatalogue.h"

#include "driver/ConfigChannel.h"
#include "platform/MessageBox.h"

#include <array>
#include <string_view>

namespace {

enum class Frame { Plain, Card, Device, Format };

constexpr std::string_view kError = "Varnel PRO Fehler";
constexpr std::string_view kInitialisation = "Varnel PRO Initialisierungsfehler";
constexpr std::string_view kWarning = "Varnel PRO Warnung";
constexpr std::string_view kInternal = "Internal Error";

constexpr UINT kIconError = 0x10;
constexpr UINT kIconInformation = 0x40;

constexpr std::string_view kNoAudio = "Keine Audiofunktionen auf diesem Gerät verfügbar.";
// The longest device name a box shows, in characters.
constexpr std::size_t kMaxDeviceName = 63;

struct Entry {
    std::int32_t id;
    Frame frame;
    std::string_view caption;
    UINT style;
    std::string_view text;
};

constexpr Entry kCatalogue[] = {
    {-1, Frame::Plain, kError, kIconError,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nNicht genügend Speicher "
     "verfügbar.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-2, Frame::Card, kError, kIconError, "Fehler beim Lesen der Datei RBT Datei."},
    {-3, Frame::Card, kError, kIconError,
     "Die passende .RBT Datei konnte nicht im Systemverzeichnis von Windows gefunden "
     "werden.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-4, Frame::Card, kError, kIconError,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nFehlende Timerresourcen im "
     "Windows System.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-5, Frame::Device, kError, kIconError,
     "Das Aktivieren dieses Gerätes macht eine Reinitialisierung der Hardware notwendig.\r\nDies "
     "ist derzeit nicht möglich, da andere Geräte der Karte arbeiten."},
    {-6, Frame::Plain, kError, kIconError,
     "Die Einstellungen des Varnel PRO Treibers können derzeit nicht geändert werden.\r\nBeenden "
     "Sie erst alle Anwendungen, welche die Varnel PRO verwenden."},
    {-7, Frame::Plain, kError, kIconError,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nFehler beim Lesen der "
     "Systemregistrierung.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-8, Frame::Plain, kError, kIconError,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nSorry, interner "
     "Zeigerfehler.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-17, Frame::Plain, kInitialisation, kIconError,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nDas Modul Zq40Pro.VXD wurde "
     "nicht geladen.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-18, Frame::Plain, kInitialisation, kIconError,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nKernel Driver Device konnte "
     "nicht geöffnet werden.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-19, Frame::Plain, kInitialisation, kIconError,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nKernel Audio Devices konnten "
     "nicht geöffnet werden.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-20, Frame::Plain, kInitialisation, kIconError,
     "Fehler beim Erzeugen eines Kernel Ereignisobjects.\r\nKeine Audiofunktionen auf diesem "
     "Gerät verfügbar."},
    {-21, Frame::Card, kInitialisation, kIconError,
     "Die Playcounter der Varnel PRO ließen sich nicht zurücksetzen. \r\nKeine Audiofunktionen "
     "auf diesem Gerät verfügbar."},
    {-22, Frame::Card, kInitialisation, kIconError,
     "Die Playcounter der Varnel PRO laufen nicht. \r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-23, Frame::Card, kInitialisation, kIconError,
     "Die Recordcounter der Varnel PRO ließen sich nicht zurücksetzen. \r\nKeine "
     "Audiofunktionen auf diesem Gerät verfügbar."},
    {-24, Frame::Card, kInitialisation, kIconError,
     "Die Recordcounter der Varnel PRO laufen nicht. \r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-25, Frame::Card, kInitialisation, kIconError,
     "IRQ konnte nicht belegt werden.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-26, Frame::Card, kInitialisation, kIconError,
     "Der Interrupt Request der Hardware bleibt unerkannt.\r\nKeine Audiofunktionen auf diesem "
     "Gerät verfügbar."},
    {-27, Frame::Plain, kInitialisation, kIconError,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nFalsche Version des Moduls "
     "Zq40Pro.VXD\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-28, Frame::Card, kInitialisation, kIconError,
     "DirectSound Modul konnte nicht initialisiert werden.\r\nKeine Audiofunktionen auf diesem "
     "Gerät verfügbar."},
    {-29, Frame::Card, kInitialisation, kIconError,
     "Midi Modul konnte nicht initialisiert werden.\r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-30, Frame::Card, kInitialisation, kIconError,
     "Fpga konnte nicht initialisiert werden.\r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-31, Frame::Card, kInitialisation, kIconError,
     "Kartenspeicher fehlerhaft.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-49, Frame::Device, kError, kIconError, "Fehler bei I/O Operation mit Kernel."},
    {-51, Frame::Format, kError, kIconError,
     "Das Gerät \"%s\" kann momentan nicht mit der Samplerate %d Hz geöffnet werden.\r\nDer "
     "angeschlossene Clock Generator wird bereits durch ein anderes Gerät mit der Samplerate %d "
     "Hz betrieben."},
    {-52, Frame::Format, kWarning, kIconInformation,
     "Die für das Gerät \"%s\" geforderte Samplerate von %d Hz stimmt nicht mit der des "
     "angeschlossenen und Clock Generators (%d Hz) überein."},
    {-53, Frame::Format, kWarning, kIconInformation,
     "Die für das Gerät \"%s\" geforderte Samplerate von %d Hz kann nicht bereitgestellt "
     "werden.\r\nDie Varnel PRO Hardware konnte sich nicht auf den externen Clock einstellen (No "
     "Lock)."},
    {-54, Frame::Format, kWarning, kIconInformation,
     "Die für das Gerät \"%s\" geforderte Samplerate von %d Hz kann nicht bereitgestellt "
     "werden.\r\nDer externe Clock entspricht einer Samplerate von %d Hz."},
    {-55, Frame::Device, kError, kIconError,
     "Gleichzeitiger Betrieb von ADAT/ADAT Monitoring/ADAT Sync und Digital/Digital "
     "Monitoring/Digital Sync nicht möglich."},
    {-56, Frame::Device, kError, kIconError, "Fehler beim Erzeugen eines Threads."},
    {-57, Frame::Device, kInitialisation, kIconError,
     "Fehler beim Erzeugen eines Kernel Ereignisobjects."},
    {-58, Frame::Device, kInitialisation, kIconError,
     "Fehler beim Öffnen eines Kernel Ereignisobjekts."},
    {-59, Frame::Device, kInitialisation, kIconError, "Fehler beim Warten auf Ereignisobjekt."},
    {-60, Frame::Device, kError, kIconError, "Adat-Monitoring ist aktiv."},
    {-61, Frame::Format, kError, kIconError,
     "Sorry, Interner Fehler: Diese Fehlermeldung (NoRwP) dürfte nie erscheinen."},
};

constexpr Entry kUndefined{0, Frame::Plain, kInternal, kIconError, "Undefined ErrId"};

const Entry& Lookup(std::int32_t id) {
    for (const auto& e : kCatalogue)
        if (e.id == id)
            return e;
    return kUndefined;
}

// At most `limit` characters of a UTF-8 text, never cutting one in two.
std::string FirstCharacters(const std::string& text, std::size_t limit) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == limit)
            return text.substr(0, i);
    }
    return text;
}

// Fills %s, %d, %d in that order with the device's name and rates; other text is copied as is.
std::string FillFormat(std::string_view format, const DeviceDescription& device) {
    std::string out;
    int next = 0;
    const std::string name = FirstCharacters(device.name, kMaxDeviceName);
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() &&
            (format[i + 1] == 's' || format[i + 1] == 'd')) {
            if (next == 0)
                out += name;
            else
                out += std::to_string(next == 1 ? device.rate : device.secondRate);
            ++next;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

} // namespace

std::optional<DriverErrorBox> ComposeDriverError(const DriverErrorContext& context,
                                                 std::int32_t id) {
    if (id == 1 || id == 0 || id == -50)
        return std::nullopt;
    const Entry& entry = Lookup(id);
    const auto* device = std::get_if<DeviceDescription>(&context);
    const auto* card = std::get_if<int>(&context);

    DriverErrorBox box{std::string(entry.caption), {}, entry.style};
    switch (entry.frame) {
    case Frame::Plain:
        box.text = entry.text;
        break;
    case Frame::Card:
        box.text = "Die Hardware der Varnel PRO Karte #" + std::to_string(card ? *card : 0) +
                   " konnte nicht initialisiert werden. \r\n" + std::string(entry.text);
        break;
    case Frame::Device:
        box.text = "Das Gerät " +
                   (device ? "\"" + FirstCharacters(device->name, kMaxDeviceName) + "\"" : "") +
                   " konnte nicht geöffnet werden. \r\n" + std::string(entry.text) + "\r\n" +
                   std::string(kNoAudio);
        break;
    case Frame::Format:
        box.text = device ? FillFormat(entry.text, *device) : std::string(entry.text);
        break;
    }
    return box;
}

bool ShowDriverError(const DriverErrorContext& context, std::int32_t id) {
    auto box = ComposeDriverError(context, id);
    if (!box)
        return false;
    MessageBoxA(0, box->text.c_str(), box->caption.c_str(), MB_OK | box->style);
    return true;
}

void ReportDriverStates(const StateRecord& states) {
    constexpr std::int32_t kWrongModuleVersion = -27;
    constexpr std::int32_t kModuleNotLoaded = -17;
    const std::int32_t driver = states.DriverState;
    if (driver == kWrongModuleVersion) {
        ShowDriverError(std::monostate{}, driver);
        return;
    }
    if (driver == kModuleNotLoaded)
        return;
    if (driver != 1 && driver != states.Card(1))
        ShowDriverError(std::monostate{}, driver);
    for (int card = 1; card <= 4 && states.Card(card) != 0; ++card)
        ShowDriverError(card, states.Card(card));
}
