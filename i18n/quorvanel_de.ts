<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>QUORVANEL</name>
    <message>
        <source>
Usage: </source>
        <translation>
Aufruf: </translation>
    </message>
    <message>
        <source> -ots &lt;otsFiles&gt; -tdf &lt;tdfFile&gt; -xrd &lt;xrdFile&gt; [-h &lt;headerTextFile&gt;]
         &lt;otsFiles&gt;    Object Testing symbol filenames
         &lt;tdfFile&gt;     Trace dynamic filename
         &lt;xrdFile&gt;     Results filename

</source>
        <translation> -ots &lt;otsFiles&gt; -tdf &lt;tdfFile&gt; -xrd &lt;xrdFile&gt; [-h &lt;headerTextFile&gt;]
         &lt;otsFiles&gt;    Objekttest-Symboldateien
         &lt;tdfFile&gt;     Dynamische Trace-Datei
         &lt;xrdFile&gt;     Ergebnisdatei

</translation>
    </message>
    <message>
        <source>non hexa digit found in number</source>
        <translation>nicht hexadezimale Ziffer in Zahl gefunden</translation>
    </message>
    <message>
        <source>32 bits number overflow</source>
        <translation>Überlauf einer 32-Bit-Zahl</translation>
    </message>
</context>
<context>
    <name>QUORVANEL OtsType</name>
    <message>
        <source>Prologue</source>
        <translation>Prolog</translation>
    </message>
    <message>
        <source>Epilogue</source>
        <translation>Epilog</translation>
    </message>
    <message>
        <source>Check Expression</source>
        <translation>Ausdrucksprüfung</translation>
    </message>
    <message>
        <source>Checksum</source>
        <translation>Prüfsumme</translation>
    </message>
    <message>
        <source>Class</source>
        <translation>Klasse</translation>
    </message>
    <message>
        <source>Check Method</source>
        <translation>Methodenprüfung</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Call</source>
        <translation>Aufruf</translation>
    </message>
    <message>
        <source>Check Stub</source>
        <translation>Platzhalterprüfung</translation>
    </message>
    <message>
        <source>Check Exception</source>
        <translation>Ausnahmeprüfung</translation>
    </message>
    <message>
        <source>Check Property</source>
        <translation>Eigenschaftsprüfung</translation>
    </message>
    <message>
        <source>Post Condition</source>
        <translation>Nachbedingung</translation>
    </message>
    <message>
        <source>Expression</source>
        <translation>Ausdruck</translation>
    </message>
    <message>
        <source># </source>
        <translation># </translation>
    </message>
    <message>
        <source>Test Driver</source>
        <translation>Testtreiber</translation>
    </message>
    <message>
        <source>Invariant</source>
        <translation>Invariante</translation>
    </message>
    <message>
        <source>Proc</source>
        <translation>Prozedur</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Property</source>
        <translation>Eigenschaft</translation>
    </message>
    <message>
        <source>Run Component</source>
        <translation>Komponentenlauf</translation>
    </message>
    <message>
        <source>Pre Condition</source>
        <translation>Vorbedingung</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Lauf</translation>
    </message>
    <message>
        <source>Stub</source>
        <translation>Platzhalter</translation>
    </message>
    <message>
        <source>Single Class</source>
        <translation>Einzelklasse</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Test Case</source>
        <translation>Testfall</translation>
    </message>
    <message>
        <source>Test Class</source>
        <translation>Testklasse</translation>
    </message>
    <message>
        <source>Transition</source>
        <translation>Übergang</translation>
    </message>
    <message>
        <source>Test Suite</source>
        <translation>Testsuite</translation>
    </message>
    <message>
        <source>Method Contract</source>
        <translation>Methodenvertrag</translation>
    </message>
    <message>
        <source>Observation State</source>
        <translation>Beobachtungszustand</translation>
    </message>
    <message>
        <source>Test Compiler Version</source>
        <translation>Testcompiler-Version</translation>
    </message>
    <message>
        <source>Test Compilation Time</source>
        <translation>Testübersetzungszeit</translation>
    </message>
</context>
<context>
    <name>QUORVANEL status</name>
    <message>
        <source>Passed</source>
        <translation>Bestanden</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Not Executed</source>
        <translation>Nicht ausgeführt</translation>
    </message>
</context>
<context>
    <name>QUORVANEL state status</name>
    <message>
        <source>Reached</source>
        <translation>Erreicht</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Not Reached</source>
        <translation>Nicht erreicht</translation>
    </message>
</context>
<context>
    <name>QUORVANEL trans status</name>
    <message>
        <source>Fired</source>
        <translation>Ausgelöst</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Not Fired</source>
        <translation>Nicht ausgelöst</translation>
    </message>
</context>
<context>
    <name>QUORVANEL global information</name>
    <message>
        <source>Global Report</source>
        <translation>Gesamtbericht</translation>
    </message>
    <message>
        <source>Component testing C++ report</source>
        <translation>Bericht Komponententest C++</translation>
    </message>
    <message>
        <source>Report summary</source>
        <translation>Berichtsübersicht</translation>
    </message>
    <message>
        <source>Passed</source>
        <translation>Bestanden</translation>
    </message>
    <message>
        <source>Inconclusive</source>
        <translation>Nicht entschieden</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Gesamt</translation>
    </message>
    <message>
        <source>Report Information</source>
        <translation>Berichtsinformationen</translation>
    </message>
    <message>
        <source>Project</source>
        <translation>Projekt</translation>
    </message>
    <message>
        <source>Project File</source>
        <translation>Projektdatei</translation>
    </message>
    <message>
        <source>Project Configuration</source>
        <translation>Projektkonfiguration</translation>
    </message>
    <message>
        <source>Workspace</source>
        <translation>Arbeitsbereich</translation>
    </message>
    <message>
        <source>Test Node</source>
        <translation>Testknoten</translation>
    </message>
    <message>
        <source>Report File</source>
        <translation>Berichtsdatei</translation>
    </message>
    <message>
        <source>Test compiler version</source>
        <translation>Version des Testcompilers</translation>
    </message>
    <message>
        <source>Test compilation time</source>
        <translation>Übersetzungszeit des Tests</translation>
    </message>
    <message>
        <source>Report Generation Time</source>
        <translation>Erstellungszeit des Berichts</translation>
    </message>
    <message>
        <source>Contracts</source>
        <translation>Verträge</translation>
    </message>
    <message>
        <source>Tested Contracts</source>
        <translation>Getestete Verträge</translation>
    </message>
    <message>
        <source>Number Of Test Suite</source>
        <translation>Anzahl Testsuiten</translation>
    </message>
    <message>
        <source>Number Of Test Class</source>
        <translation>Anzahl Testklassen</translation>
    </message>
    <message>
        <source>Number Of Test Case</source>
        <translation>Anzahl Testfälle</translation>
    </message>
    <message>
        <source>Number Of Epilogue</source>
        <translation>Anzahl Epiloge</translation>
    </message>
    <message>
        <source>Number Of Procedure</source>
        <translation>Anzahl Prozeduren</translation>
    </message>
    <message>
        <source>Number Of Prologue</source>
        <translation>Anzahl Prologe</translation>
    </message>
    <message>
        <source>Number Of Stub</source>
        <translation>Anzahl Platzhalter</translation>
    </message>
</context>
<context>
    <name>QUORVANEL State chart violations</name>
    <message>
        <source>State Name</source>
        <translation>Zustandsname</translation>
    </message>
    <message>
        <source>Multiple Exits</source>
        <translation>Mehrfache Austritte</translation>
    </message>
    <message>
        <source>Illegal Exits</source>
        <translation>Unzulässige Austritte</translation>
    </message>
</context>
<context>
    <name>QUORVANEL class report</name>
    <message>
        <source>State Name</source>
        <translation>Zustandsname</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Reached</source>
        <translation>Erreicht</translation>
    </message>
    <message>
        <source>Transition Name</source>
        <translation>Übergangsname</translation>
    </message>
    <message>
        <source>Fired</source>
        <translation>Ausgelöst</translation>
    </message>
</context>
<context>
    <name>QUORVANEL Cell text</name>
    <message>
        <source>Method</source>
        <translation>Methode</translation>
    </message>
    <message>
        <source>Expression</source>
        <translation>Ausdruck</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Executed</source>
        <translation>Ausgeführt</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Passed</source>
        <translation>Bestanden</translation>
    </message>
</context>
</TS>
