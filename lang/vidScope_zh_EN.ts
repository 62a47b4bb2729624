<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Software Version:</source>
        <translation>Software Version:</translation>
    </message>
    <message>
        <source>Firmware Version:</source>
        <translation>Firmware Version:</translation>
    </message>
    <message>
        <source>Close(&amp;C)</source>
        <translation>Close(&amp;C)</translation>
    </message>
    <message>
        <source>Industrial Camera Tool
</source>
        <translation>Industrial Camera Tool
</translation>
    </message>
    <message>
        <source>Licensed to its users under the MIT License.</source>
        <translation>Licensed to its users under the MIT License.</translation>
    </message>
</context>
<context>
    <name>DockMessage</name>
    <message>
        <source>Message Log</source>
        <translation>Message Log</translation>
    </message>
    <message>
        <source>Clear all messages</source>
        <translation>Clear all messages</translation>
    </message>
</context>
<context>
    <name>DockPreview</name>
    <message>
        <source>Preview</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>The picture %1 no longer exists.</source>
        <translation>The picture %1 no longer exists.</translation>
    </message>
    <message>
        <source>No application opened %1.</source>
        <translation>No application opened %1.</translation>
    </message>
    <message>
        <source>No file manager showed %1.</source>
        <translation>No file manager showed %1.</translation>
    </message>
    <message>
        <source>View the picutre</source>
        <translation>View the picutre</translation>
    </message>
    <message>
        <source>Open the file location...</source>
        <translation>Open the file location...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>vidScope</source>
        <translation>vidScope</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Image</source>
        <translation>&amp;Image</translation>
    </message>
    <message>
        <source>&amp;Measure</source>
        <translation>&amp;Measure</translation>
    </message>
    <message>
        <source>&amp;Capture</source>
        <translation>&amp;Capture</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>toolBar</source>
        <translation>toolBar</translation>
    </message>
    <message>
        <source>toolBar_2</source>
        <translation>toolBar_2</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>Pa&amp;use</source>
        <translation>Pa&amp;use</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>&amp;Setting</source>
        <translation>&amp;Setting</translation>
    </message>
    <message>
        <source>English&lt;-&gt;Chinese</source>
        <translation>English&lt;-&gt;Chinese</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>Histogram</translation>
    </message>
    <message>
        <source>R/W Register</source>
        <translation>R/W Register</translation>
    </message>
    <message>
        <source>Help vidScope</source>
        <translation>Help vidScope</translation>
    </message>
    <message>
        <source>IO Control</source>
        <translation>IO Control</translation>
    </message>
    <message>
        <source>Fit Screen</source>
        <translation>Fit Screen</translation>
    </message>
    <message>
        <source>Measure On/Off(&amp;M)</source>
        <translation>Measure On/Off(&amp;M)</translation>
    </message>
    <message>
        <source>Calibration(&amp;B)</source>
        <translation>Calibration(&amp;B)</translation>
    </message>
    <message>
        <source>AxesX(&amp;X)</source>
        <translation>AxesX(&amp;X)</translation>
    </message>
    <message>
        <source>AxesY(&amp;Y)</source>
        <translation>AxesY(&amp;Y)</translation>
    </message>
    <message>
        <source>Line(&amp;L)</source>
        <translation>Line(&amp;L)</translation>
    </message>
    <message>
        <source>Arc(&amp;A)</source>
        <translation>Arc(&amp;A)</translation>
    </message>
    <message>
        <source>Rectangle(&amp;R)</source>
        <translation>Rectangle(&amp;R)</translation>
    </message>
    <message>
        <source>Circle(&amp;C)</source>
        <translation>Circle(&amp;C)</translation>
    </message>
    <message>
        <source>Start Capture Video</source>
        <translation>Start Capture Video</translation>
    </message>
    <message>
        <source>Stop Capture</source>
        <translation>Stop Capture</translation>
    </message>
    <message>
        <source>Select(&amp;S)</source>
        <translation>Select(&amp;S)</translation>
    </message>
    <message>
        <source>Property</source>
        <translation>Property</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Single Capture</source>
        <translation>Single Capture</translation>
    </message>
    <message>
        <source>Reconnect</source>
        <translation>Reconnect</translation>
    </message>
    <message>
        <source>Erase Firmware</source>
        <translation>Erase Firmware</translation>
    </message>
    <message>
        <source>details</source>
        <translation>details</translation>
    </message>
    <message>
        <source>coordinates</source>
        <translation>coordinates</translation>
    </message>
    <message>
        <source>Reset Camera</source>
        <translation>Reset Camera</translation>
    </message>
    <message>
        <source>Polygon</source>
        <translation>Polygon</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation>Open Image</translation>
    </message>
    <message>
        <source>Record Sequence</source>
        <translation>Record Sequence</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>Load From</source>
        <translation>Load From</translation>
    </message>
    <message>
        <source>The manual %1 is missing.</source>
        <translation>The manual %1 is missing.</translation>
    </message>
</context>
<context>
    <name>PictureOpener</name>
    <message>
        <source>Open Image</source>
        <translation>Open Image</translation>
    </message>
    <message>
        <source>Images (*.png *.bmp *.jpg)</source>
        <translation>Images (*.png *.bmp *.jpg)</translation>
    </message>
    <message>
        <source>File format does not support!</source>
        <translation>File format does not support!</translation>
    </message>
    <message>
        <source>The picture %1 could not be read: %2</source>
        <translation>The picture %1 could not be read: %2</translation>
    </message>
</context>
<context>
    <name>SnapshotController</name>
    <message>
        <source>notice</source>
        <translation>notice</translation>
    </message>
    <message>
        <source>Please select valid path!</source>
        <translation>Please select valid path!</translation>
    </message>
    <message>
        <source>Picture not saved: %1 (%2)</source>
        <translation>Picture not saved: %1 (%2)</translation>
    </message>
</context>
</TS>
