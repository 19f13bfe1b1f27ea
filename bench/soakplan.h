// What one soak transfer does, drawn at random but reproducibly: the kind of
// transfer, the radio, the damage its line does, the passwords on both sides
// and the codeplugs and calibration records behind the memory and the files.
// Everything follows from the run's seed and the transfer's number, so that a
// single transfer of a long run can be repeated on its own.
#pragma once

#include "codeplug/codeplugdata.h"
#include "factory/calibrationdata.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <random>

namespace t880::soak {

enum class Kind {
    Read,
    ReadVerify,
    Write,
    CalibrationRead,
    CalibrationReadVerify,
    CalibrationWrite,
    Status,
    SetPassword
};
constexpr int KindCount = 8;
QString kindName(Kind kind);

enum class Variant { S, Y, Legacy };
QString variantName(Variant variant);

/// Radio addresses the transfers touch.
namespace address {
constexpr int MemorySize = 0x10000;
constexpr int Image = 0x4000; ///< the current radios' 8192-byte image
constexpr int ImageSize = 8192;
constexpr int ChannelEnd = 0x4150;  ///< 16 channel records of 19 bytes, padded
constexpr int CodeplugEnd = 0x4170; ///< a codeplug read or write stops here
constexpr int Date = 0x4150;
constexpr int DateSize = 6;
constexpr int Password = 0x41D0;
constexpr int PasswordSize = 16;
constexpr int Calibration = 0x41F0;
constexpr int CalibrationSize = 128;
constexpr int ChannelSize = 19;
constexpr int LegacyFirst = 0x0010; ///< the older radios' codeplug area
constexpr int LegacyEnd = 0x0200;
} // namespace address

/// The endings of the transfer verbs, by their exit codes; the first four
/// are what a transfer must come to on a line that loses and damages nothing.
enum class Ending {
    Success = 0,
    CommunicationFalse = 3,
    PasswordError = 4,
    OldVersion = 5,
    Interrupted = 7,
    VerifyFailed = 8,
    BackupFailed = 9,
    WrongRadio = 10,
};
constexpr int LastEnding = int(Ending::WrongRadio);

class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_engine(seed) {}
    /// A whole number from lo to hi, both included.
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_engine); }
    double uniform(double lo, double hi)
    {
        return std::uniform_real_distribution<double>(lo, hi)(m_engine);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_engine); }
    std::uint64_t word() { return m_engine(); }

private:
    std::mt19937_64 m_engine;
};

/// The emulator's line faults.
struct Faults
{
    double dropRate = 0;
    double corruptRate = 0;
    double corruptRequestRate = 0;
    bool split = false;
    int replyDelayMs = 0;
    int replyJitterMs = 0;
    int silentAfter = -1; ///< -1: answers every request
    std::uint32_t seed = 0;

    /// Nothing lost, damaged or withheld: only late or split replies, which a
    /// transfer must always get through.
    bool lossless() const
    {
        return dropRate == 0 && corruptRate == 0 && corruptRequestRate == 0 && silentAfter < 0;
    }
    /// The emulator options, --seed included.
    QStringList arguments() const;
};

struct Plan
{
    int index = 0;
    Kind kind = Kind::Read;
    Variant variant = Variant::S;
    Faults faults;
    QByteArray radioPassword; ///< the radio's; empty: the radio has none
    QByteArray hostPassword;  ///< the one the host claims; empty: none
    bool passwordOnCommandLine = false;
    bool useBase = false;          ///< read: --base with fileCodeplug
    bool writeNewPassword = false; ///< write: the file asks for newPassword
    QByteArray newPassword;        ///< set-password NEW; write: the file's new password
    CodeplugData memoryCodeplug;   ///< what the radio's image was made from
    CodeplugData fileCodeplug;     ///< read: the base; write: the file written
    CalibrationData radioCalibration;
    CalibrationData fileCalibration; ///< calibration write: the file written
    std::uint64_t noiseSeed = 0;     ///< fills the memory no transfer should touch

    bool legacy() const { return variant == Variant::Legacy; }
    bool verifies() const
    {
        return kind == Kind::ReadVerify || kind == Kind::CalibrationReadVerify;
    }
    /// A write of the radio's memory, with the safety steps the verbs take
    /// by default: readings that agree before it, a read-back after it.
    bool writes() const
    {
        return kind == Kind::Write || kind == Kind::CalibrationWrite || kind == Kind::SetPassword;
    }
};

/// Transfer \a index of the run with seed \a runSeed; its kind cycles through
/// all kinds so that every kind gets its share.
Plan drawPlan(std::uint64_t runSeed, int index);
/// What the transfer ends with on a faultless line.
Ending expectedEnding(const Plan &plan);

} // namespace t880::soak
