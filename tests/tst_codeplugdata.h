// The codeplug block suite's shared part: blocks filled and patched byte by
// byte, and the test class whose functions the suite's files define.
#pragma once

#include "codeplug/codeplugdata.h"
#include "link/programstate.h"

#include "testsupport.h"
#include "tst_blockhelpers.h"

#include <QtTest>

namespace codeplugdatatest {

using namespace t880;
using namespace t880::testing;
using blocktest::applyPatch;

inline QByteArray filled(char fill)
{
    return QByteArray(blocktest::BlockSize, fill);
}

inline CodeplugData fromBytes(const QByteArray &bytes)
{
    CodeplugData d;
    d.replaceLeading(bytes);
    return d;
}

inline QByteArray withPatch(QByteArray b, const QString &patch)
{
    applyPatch(b, patch);
    return b;
}

} // namespace codeplugdatatest

class TestCodeplugData : public QObject
{
    Q_OBJECT

private slots:
    // --- where every field lives ------------------------------------------
    void settingOffsets_data();
    void settingOffsets();
    void everySettingIsCovered();
    void textFieldOffsets_data();
    void textFieldOffsets();
    void codeFieldOffsets_data();
    void codeFieldOffsets();
    void channelFieldOffsets_data();
    void channelFieldOffsets();
    void rxFreqExample_data();
    void rxFreqExample();
    void addressBookOffsets_data();
    void addressBookOffsets();

    // --- defaults -----------------------------------------------------------
    void newDefaults_data();
    void newDefaults();
    void programStateStartsNew();
    void dtmfDefaults_data();
    void dtmfDefaults();

    // --- used masks ---------------------------------------------------------
    void setUsedBit_data();
    void setUsedBit();
    void isUsedReadsMask_data();
    void isUsedReadsMask();
    void deletingChannelKeepsRecord();

    // --- editing rules ------------------------------------------------------
    void newChannelRule_data();
    void newChannelRule();
    void squelchModeRule_data();
    void squelchModeRule();
    void addressBookEntryRule_data();
    void addressBookEntryRule();
    void dtmfCodeFromText_data();
    void dtmfCodeFromText();
    void dtmfCodeRejectsText_data();
    void dtmfCodeRejectsText();
    void dtmfCodeText_data();
    void dtmfCodeText();
    void nameCut_data();
    void nameCut();
};
