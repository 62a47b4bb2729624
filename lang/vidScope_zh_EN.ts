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
    <name>AviThread</name>
    <message>
        <source>Recording not started: %1</source>
        <translation>Recording not started: %1</translation>
    </message>
    <message>
        <source>Recording stopped: %1</source>
        <translation>Recording stopped: %1</translation>
    </message>
    <message>
        <source>Recording not finished: %1</source>
        <translation>Recording not finished: %1</translation>
    </message>
</context>
<context>
    <name>CaptureOptionsPage</name>
    <message>
        <source>Open Directory</source>
        <translation>Open Directory</translation>
    </message>
    <message>
        <source>notice</source>
        <translation>notice</translation>
    </message>
    <message>
        <source>Please enter a shot interval from 1 to %1.</source>
        <translation>Please enter a shot interval from 1 to %1.</translation>
    </message>
</context>
<context>
    <name>DeadPixelEditor</name>
    <message>
        <source>notice</source>
        <translation>notice</translation>
    </message>
    <message>
        <source>The camera keeps dead pixels in full-sensor positions, which this picture does not show one to one. Select the largest resolution without ROI, play the video and open the histogram again.</source>
        <translation>The camera keeps dead pixels in full-sensor positions, which this picture does not show one to one. Select the largest resolution without ROI, play the video and open the histogram again.</translation>
    </message>
    <message>
        <source>The list holds %1 pixels already. Delete some before adding more.</source>
        <translation>The list holds %1 pixels already. Delete some before adding more.</translation>
    </message>
    <message>
        <source>You just can add 63 points dead pixels.</source>
        <translation>You just can add 63 points dead pixels.</translation>
    </message>
</context>
<context>
    <name>DiagnosticWindows</name>
    <message>
        <source>Notice</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>Please play the video!</source>
        <translation>Please play the video!</translation>
    </message>
</context>
<context>
    <name>DockCalibration</name>
    <message>
        <source>Calibration</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>Actual Distance:</source>
        <translation>Actual Distance:</translation>
    </message>
    <message>
        <source>Pixel Acount:</source>
        <translation>Pixel Acount:</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>Calculate</translation>
    </message>
    <message>
        <source>Precision:</source>
        <translation>Precision:</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>&amp;Reset</source>
        <translation>&amp;Reset</translation>
    </message>
    <message>
        <source>cm</source>
        <translation>cm</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>um</source>
        <translation>um</translation>
    </message>
    <message>
        <source>Warn</source>
        <translation>Warn</translation>
    </message>
    <message>
        <source>Invalid numbers.</source>
        <translation>Invalid numbers.</translation>
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
    <name>DockProperty</name>
    <message>
        <source>Property</source>
        <translation>Property</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>black</source>
        <translation>black</translation>
    </message>
    <message>
        <source>white</source>
        <translation>white</translation>
    </message>
    <message>
        <source>red</source>
        <translation>red</translation>
    </message>
    <message>
        <source>green</source>
        <translation>green</translation>
    </message>
    <message>
        <source>blue</source>
        <translation>blue</translation>
    </message>
    <message>
        <source>cyan</source>
        <translation>cyan</translation>
    </message>
    <message>
        <source>magenta</source>
        <translation>magenta</translation>
    </message>
    <message>
        <source>yellow</source>
        <translation>yellow</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Please select a mark first!</source>
        <translation>Please select a mark first!</translation>
    </message>
</context>
<context>
    <name>Histogram</name>
    <message>
        <source>Image Histogram</source>
        <translation>Image Histogram</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>Max:</source>
        <translation>Max:</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>Min:</source>
        <translation>Min:</translation>
    </message>
    <message>
        <source>Depth:</source>
        <translation>Depth:</translation>
    </message>
    <message>
        <source>Average:</source>
        <translation>Average:</translation>
    </message>
    <message>
        <source>Inspect</source>
        <translation>Inspect</translation>
    </message>
    <message>
        <source>Position:</source>
        <translation>Position:</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>RGB:</source>
        <translation>RGB:</translation>
    </message>
    <message>
        <source>Save Position</source>
        <translation>Save Position</translation>
    </message>
    <message>
        <source>Dead Pixel</source>
        <translation>Dead Pixel</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>Brightness from which Auto Find takes a pixel for stuck</source>
        <translation>Brightness from which Auto Find takes a pixel for stuck</translation>
    </message>
    <message>
        <source>Auto Find </source>
        <translation>Auto Find </translation>
    </message>
    <message>
        <source>Delete One</source>
        <translation>Delete One</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Clear All</translation>
    </message>
    <message>
        <source>Write 
 EEPROM</source>
        <translation>Write 
 EEPROM</translation>
    </message>
</context>
<context>
    <name>IOControl</name>
    <message>
        <source>IO Control</source>
        <translation>IO Control</translation>
    </message>
    <message>
        <source>IO</source>
        <translation>IO</translation>
    </message>
    <message>
        <source>IN</source>
        <translation>IN</translation>
    </message>
    <message>
        <source>Refresh Input</source>
        <translation>Refresh Input</translation>
    </message>
    <message>
        <source>OUT</source>
        <translation>OUT</translation>
    </message>
    <message>
        <source>Strobe</source>
        <translation>Strobe</translation>
    </message>
    <message>
        <source>Enable strobe</source>
        <translation>Enable strobe</translation>
    </message>
    <message>
        <source>Invert strobe polarity</source>
        <translation>Invert strobe polarity</translation>
    </message>
    <message>
        <source>Trigger</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>Enter trigger mode</source>
        <translation>Enter trigger mode</translation>
    </message>
    <message>
        <source>Auto trigger</source>
        <translation>Auto trigger</translation>
    </message>
    <message>
        <source>Save snapshot to file</source>
        <translation>Save snapshot to file</translation>
    </message>
    <message>
        <source>Software Trigger</source>
        <translation>Software Trigger</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Trigger mode not supported.</source>
        <translation>Trigger mode not supported.</translation>
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
    <name>Mark</name>
    <message>
        <source>Arc Mark</source>
        <translation>Arc Mark</translation>
    </message>
    <message>
        <source>Circle Mark</source>
        <translation>Circle Mark</translation>
    </message>
    <message>
        <source>Coordinates</source>
        <translation>Coordinates</translation>
    </message>
    <message>
        <source>Horizontal Line Mark</source>
        <translation>Horizontal Line Mark</translation>
    </message>
    <message>
        <source>Line Mark</source>
        <translation>Line Mark</translation>
    </message>
    <message>
        <source>Polygon Mark</source>
        <translation>Polygon Mark</translation>
    </message>
    <message>
        <source>Rectangle Mark</source>
        <translation>Rectangle Mark</translation>
    </message>
    <message>
        <source>Vertical Line Mark</source>
        <translation>Vertical Line Mark</translation>
    </message>
</context>
<context>
    <name>MarkFile</name>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>%1 is %2 MB, too large to be a mark file; no marks were loaded. Check that it is the right file.</source>
        <translation>%1 is %2 MB, too large to be a mark file; no marks were loaded. Check that it is the right file.</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
</context>
<context>
    <name>MeasureController</name>
    <message>
        <source>Load</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Override?</source>
        <translation>Override?</translation>
    </message>
    <message>
        <source>No marks in the curvas, do you still want to save?</source>
        <translation>No marks in the curvas, do you still want to save?</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>The marks were not saved.</source>
        <translation>The marks were not saved.</translation>
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
    <name>QObject</name>
    <message>
        <source>The file &quot;%1&quot; could not be written. Check that the folder is writable and the disk has room, then save again.</source>
        <translation>The file &quot;%1&quot; could not be written. Check that the folder is writable and the disk has room, then save again.</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; could not be read: %2</source>
        <translation>The file &quot;%1&quot; could not be read: %2</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; could not be read.</source>
        <translation>The file &quot;%1&quot; could not be read.</translation>
    </message>
</context>
<context>
    <name>RWRegister</name>
    <message>
        <source>R/W Register</source>
        <translation>R/W Register</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>SCCB</source>
        <translation>SCCB</translation>
    </message>
    <message>
        <source>EEPROM</source>
        <translation>EEPROM</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Hexadecimal, 0 to FFFF</source>
        <translation>Hexadecimal, 0 to FFFF</translation>
    </message>
    <message>
        <source>Read Reg</source>
        <translation>Read Reg</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Hexadecimal, 0 to FFFF (EEPROM: one byte)</source>
        <translation>Hexadecimal, 0 to FFFF (EEPROM: one byte)</translation>
    </message>
    <message>
        <source>Write Reg</source>
        <translation>Write Reg</translation>
    </message>
    <message>
        <source>R/W GUID</source>
        <translation>R/W GUID</translation>
    </message>
    <message>
        <source>Writer GUID</source>
        <translation>Writer GUID</translation>
    </message>
    <message>
        <source>Read GUID</source>
        <translation>Read GUID</translation>
    </message>
    <message>
        <source>NOTICE</source>
        <translation>NOTICE</translation>
    </message>
    <message>
        <source>Addresses and values are hexadecimal numbers from 0 to FFFF.</source>
        <translation>Addresses and values are hexadecimal numbers from 0 to FFFF.</translation>
    </message>
    <message>
        <source>Please ask permission from vendor to write GUID.</source>
        <translation>Please ask permission from vendor to write GUID.</translation>
    </message>
    <message>
        <source>Please enter a valid GUID(12 digits or letters).</source>
        <translation>Please enter a valid GUID(12 digits or letters).</translation>
    </message>
    <message>
        <source>GUID write successfully.</source>
        <translation>GUID write successfully.</translation>
    </message>
</context>
<context>
    <name>RecorderDlg</name>
    <message>
        <source>Recorder</source>
        <translation>Recorder</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Save Sequence</source>
        <translation>Save Sequence</translation>
    </message>
    <message>
        <source>Save Avi</source>
        <translation>Save Avi</translation>
    </message>
    <message>
        <source>Buffer Count</source>
        <translation>Buffer Count</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>Free</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Please play to video to determine the image size.</source>
        <translation>Please play to video to determine the image size.</translation>
    </message>
    <message>
        <source>Enter a buffer count from 1 to %1.</source>
        <translation>Enter a buffer count from 1 to %1.</translation>
    </message>
    <message>
        <source>Maximun buffer count limited to %1 within 1.5GB memory.</source>
        <translation>Maximun buffer count limited to %1 within 1.5GB memory.</translation>
    </message>
    <message>
        <source>A video is being recorded. Stop Capture first.</source>
        <translation>A video is being recorded. Stop Capture first.</translation>
    </message>
    <message>
        <source>Buffer is full!</source>
        <translation>Buffer is full!</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>Open Directory</translation>
    </message>
    <message>
        <source>Saving pictures...</source>
        <translation>Saving pictures...</translation>
    </message>
    <message>
        <source>Choose a folder you can write to and save again.</source>
        <translation>Choose a folder you can write to and save again.</translation>
    </message>
    <message>
        <source>Save Avi File</source>
        <translation>Save Avi File</translation>
    </message>
    <message>
        <source>Saving AVI...</source>
        <translation>Saving AVI...</translation>
    </message>
</context>
<context>
    <name>RecordingController</name>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>The sequence recorder holds %1 frames. Save or free them in the Recorder window before recording a video.</source>
        <translation>The sequence recorder holds %1 frames. Save or free them in the Recorder window before recording a video.</translation>
    </message>
    <message>
        <source>Start Capture ...</source>
        <translation>Start Capture ...</translation>
    </message>
    <message>
        <source>Stopped before the first frame: no file written.</source>
        <translation>Stopped before the first frame: no file written.</translation>
    </message>
    <message>
        <source>Saving...</source>
        <translation>Saving...</translation>
    </message>
    <message>
        <source>Recording to %1</source>
        <translation>Recording to %1</translation>
    </message>
    <message>
        <source>The recording could not start: the recorder is busy.</source>
        <translation>The recording could not start: the recorder is busy.</translation>
    </message>
    <message>
        <source>The frame size changed to %1x%2: the recording ended, because a file holds one frame size. Start a new recording for the new size.</source>
        <translation>The frame size changed to %1x%2: the recording ended, because a file holds one frame size. Start a new recording for the new size.</translation>
    </message>
    <message>
        <source>Saved. total %1 dropped %2</source>
        <translation>Saved. total %1 dropped %2</translation>
    </message>
    <message>
        <source>The camera was closed: the recording ended.</source>
        <translation>The camera was closed: the recording ended.</translation>
    </message>
</context>
<context>
    <name>SequenceExport</name>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>Cannot save the sequence: %1</source>
        <translation>Cannot save the sequence: %1</translation>
    </message>
    <message>
        <source>Sequence AVI ended early: %1</source>
        <translation>Sequence AVI ended early: %1</translation>
    </message>
</context>
<context>
    <name>SettingDialog</name>
    <message>
        <source>Setting</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>Image Enhancement</source>
        <translation>Image Enhancement</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>Saturation</translation>
    </message>
    <message>
        <source>Black Level</source>
        <translation>Black Level</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>Exposure</translation>
    </message>
    <message>
        <source>Auto Gain</source>
        <translation>Auto Gain</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>Auto Exposure</source>
        <translation>Auto Exposure</translation>
    </message>
    <message>
        <source>AE Target</source>
        <translation>AE Target</translation>
    </message>
    <message>
        <source>Flicker Avoidence</source>
        <translation>Flicker Avoidence</translation>
    </message>
    <message>
        <source>50Hz</source>
        <translation>50Hz</translation>
    </message>
    <message>
        <source>60Hz</source>
        <translation>60Hz</translation>
    </message>
    <message>
        <source>Timeout </source>
        <translation>Timeout </translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation>White Balance</translation>
    </message>
    <message>
        <source>AWB</source>
        <translation>AWB</translation>
    </message>
    <message>
        <source>One Push WB</source>
        <translation>One Push WB</translation>
    </message>
    <message>
        <source>Red Gain</source>
        <translation>Red Gain</translation>
    </message>
    <message>
        <source>Green Gain</source>
        <translation>Green Gain</translation>
    </message>
    <message>
        <source>Blue Gain</source>
        <translation>Blue Gain</translation>
    </message>
    <message>
        <source>ROI</source>
        <translation>ROI</translation>
    </message>
    <message>
        <source>OffsetX</source>
        <translation>OffsetX</translation>
    </message>
    <message>
        <source>OffsetY</source>
        <translation>OffsetY</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>Return Max Reso</source>
        <translation>Return Max Reso</translation>
    </message>
    <message>
        <source>Draw ROI</source>
        <translation>Draw ROI</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Resolution Mode</source>
        <translation>Resolution Mode</translation>
    </message>
    <message>
        <source>Cropping</source>
        <translation>Cropping</translation>
    </message>
    <message>
        <source>Skipping</source>
        <translation>Skipping</translation>
    </message>
    <message>
        <source>Binning</source>
        <translation>Binning</translation>
    </message>
    <message>
        <source>Misc</source>
        <translation>Misc</translation>
    </message>
    <message>
        <source>Frame Control</source>
        <translation>Frame Control</translation>
    </message>
    <message>
        <source>Mirror X</source>
        <translation>Mirror X</translation>
    </message>
    <message>
        <source>Mirror Y</source>
        <translation>Mirror Y</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Rotate</translation>
    </message>
    <message>
        <source>HighSpeed</source>
        <translation>HighSpeed</translation>
    </message>
    <message>
        <source>SlowDown</source>
        <translation>SlowDown</translation>
    </message>
    <message>
        <source>Image Format</source>
        <translation>Image Format</translation>
    </message>
    <message>
        <source>RAW8</source>
        <translation>RAW8</translation>
    </message>
    <message>
        <source>GRAY8</source>
        <translation>GRAY8</translation>
    </message>
    <message>
        <source>RGB24</source>
        <translation>RGB24</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Group 0</source>
        <translation>Group 0</translation>
    </message>
    <message>
        <source>Group 1</source>
        <translation>Group 1</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
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
        <source>Advanced</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>Enable CCM Enhancement</source>
        <translation>Enable CCM Enhancement</translation>
    </message>
    <message>
        <source>CCM</source>
        <translation>CCM</translation>
    </message>
    <message>
        <source>Advanced Gain</source>
        <translation>Advanced Gain</translation>
    </message>
    <message>
        <source>Exposure Scale</source>
        <translation>Exposure Scale</translation>
    </message>
    <message>
        <source>Raw Image</source>
        <translation>Raw Image</translation>
    </message>
    <message>
        <source>Save Raw Image</source>
        <translation>Save Raw Image</translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Save Path</source>
        <translation>Save Path</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>File Type</source>
        <translation>File Type</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>JPG</source>
        <translation>JPG</translation>
    </message>
    <message>
        <source>PNG</source>
        <translation>PNG</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>Compression</source>
        <translation>Compression</translation>
    </message>
    <message>
        <source>No Compress</source>
        <translation>No Compress</translation>
    </message>
    <message>
        <source>On Time Shot</source>
        <translation>On Time Shot</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Shot Interval</source>
        <translation>Shot Interval</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>minutes</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>Scale image</source>
        <translation>Scale image</translation>
    </message>
    <message>
        <source> Video</source>
        <translation> Video</translation>
    </message>
    <message>
        <source>Backlog</source>
        <translation>Backlog</translation>
    </message>
    <message>
        <source>Instant FPS</source>
        <translation>Instant FPS</translation>
    </message>
    <message>
        <source>notice</source>
        <translation>notice</translation>
    </message>
    <message>
        <source>Please enter valid numbers.</source>
        <translation>Please enter valid numbers.</translation>
    </message>
    <message>
        <source>ROI not supported or parameter invalid.</source>
        <translation>ROI not supported or parameter invalid.</translation>
    </message>
    <message>
        <source>Draw ROI?</source>
        <translation>Draw ROI?</translation>
    </message>
    <message>
        <source>Please make sure the current resolution is the maximum resolution.
Are you want to draw rectangle to create ROI now?</source>
        <translation>Please make sure the current resolution is the maximum resolution.
Are you want to draw rectangle to create ROI now?</translation>
    </message>
    <message>
        <source>Save parameters file</source>
        <translation>Save parameters file</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Load parameters file</source>
        <translation>Load parameters file</translation>
    </message>
    <message>
        <source>Invalid camera configuration file!</source>
        <translation>Invalid camera configuration file!</translation>
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
<context>
    <name>Statistics</name>
    <message>
        <source>Measurement</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>base.X</source>
        <translation>base.X</translation>
    </message>
    <message>
        <source>base.Y</source>
        <translation>base.Y</translation>
    </message>
    <message>
        <source>second.X</source>
        <translation>second.X</translation>
    </message>
    <message>
        <source>second.Y</source>
        <translation>second.Y</translation>
    </message>
    <message>
        <source>result1</source>
        <translation>result1</translation>
    </message>
    <message>
        <source>result2</source>
        <translation>result2</translation>
    </message>
    <message>
        <source>area</source>
        <translation>area</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Save file</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>CSV File (*.csv)</source>
        <translation>CSV File (*.csv)</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Failed to open the file.</source>
        <translation>Failed to open the file.</translation>
    </message>
    <message>
        <source>%1: %2. Choose a folder you can write to.</source>
        <translation>%1: %2. Choose a folder you can write to.</translation>
    </message>
</context>
</TS>
