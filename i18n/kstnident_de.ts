<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>KSTNIdent</name>
    <message>
        <source>Kestrelon</source>
        <translation>Kestrelon</translation>
    </message>
    <message>
        <source>C++ Test Report Generator</source>
        <translation>C++ Testbericht-Generator</translation>
    </message>
    <message>
        <source>8.3.0.1.342.020</source>
        <translation>8.3.0.1.342.020</translation>
    </message>
    <message>
        <source>(C) Copyright Kestrelon Systems 1998, 2026.</source>
        <translation>(C) Urheberrecht Kestrelon Systems 1998, 2026.</translation>
    </message>
    <message>
        <source>All rights reserved.</source>
        <translation>Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>Component testing C++</source>
        <translation>Komponententest C++</translation>
    </message>
    <message>
        <source>(C) Copyright Kestrelon Systems 1998, 2026. All rights reserved.</source>
        <translation>(C) Urheberrecht Kestrelon Systems 1998, 2026. Alle Rechte vorbehalten.</translation>
    </message>
</context>
</TS>
