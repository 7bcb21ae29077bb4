-- A database envcheck-read of schema version 4 made (commit 2c975fa, --db of reports/gaming-pc-win11.txt), as sqlite3's .dump writes it.
PRAGMA foreign_keys=OFF;
BEGIN TRANSACTION;
CREATE TABLE reports (
    id INTEGER PRIMARY KEY, file TEXT NOT NULL, sha256 TEXT NOT NULL UNIQUE, status TEXT NOT NULL,
    report_date TEXT, computer TEXT, user TEXT, cpu TEXT, cpu_family INTEGER, cpu_model INTEGER,
    cpu_count INTEGER, clock_mhz INTEGER, memory_bytes INTEGER, os_row TEXT, os_product TEXT, os_edition TEXT,
    os_service_pack TEXT, os_build INTEGER, windows TEXT, windows_version TEXT, windows_build TEXT,
    windows_architecture TEXT, directx TEXT, d3d9_adapter TEXT, d3d9_driver_version TEXT, whql TEXT,
    part INTEGER NOT NULL DEFAULT 1, parts INTEGER NOT NULL DEFAULT 1, preface TEXT, host TEXT, domain TEXT,
    dns_servers TEXT, remote_session INTEGER, processor_features TEXT, features_off_in_windows TEXT, firmware TEXT, secure_boot TEXT, tpm TEXT,
    memory_integrity TEXT, test_signing TEXT, vc_runtime_x86 TEXT, vc_runtime_x64 TEXT, dotnet_framework TEXT,
    directx9_extras TEXT, directx9_extras_missing TEXT, power_plan TEXT, battery_saver TEXT);
INSERT INTO reports VALUES(1,'reports/gaming-pc-win11.txt','a5127f4169a819ce40755b7933ec72f36b41c5cada8a877804ef5e58d5769248','read','2026-12-09 15:15:20','VM','root','Intel(R) Xeon(R) Processor',6,7,2,2600,25276153856,'Microsoft Windows 11 Professional  (Build 22631)','Microsoft Windows 11','Professional',NULL,22631,'Windows 11 Professional','23H2','10.0.22631.4460','x64','4.09.0000.0904','NVIDIA GeForce RTX 4070','32.0.15.6603','認証されていない。',1,1,NULL,'vm',NULL,'10.255.255.53',NULL,'SSE3 SSSE3 SSE4.1 SSE4.2 POPCNT AVX AVX2 FMA3 AVX-512F',NULL,'UEFI','on','2.0','off','off','14.40.33810','14.40.33810','4.8.1','d3dx9_43 d3dx10_43 d3dx11_43 d3dcompiler_43 xinput1_3 XAudio2_7 X3DAudio1_7 xactengine3_7','none','High performance','off');
CREATE TABLE processes (report_id INTEGER NOT NULL REFERENCES reports(id), pid INTEGER,
    name TEXT, path TEXT);
INSERT INTO processes VALUES(1,56,'services.exe','C:\windows\system32\services.exe');
INSERT INTO processes VALUES(1,68,'winedevice.exe','C:\windows\system32\winedevice.exe');
INSERT INTO processes VALUES(1,108,'winedevice.exe','C:\windows\system32\winedevice.exe');
INSERT INTO processes VALUES(1,156,'plugplay.exe','C:\windows\system32\plugplay.exe');
INSERT INTO processes VALUES(1,192,'svchost.exe','C:\windows\system32\svchost.exe');
INSERT INTO processes VALUES(1,232,'rpcss.exe','C:\windows\system32\rpcss.exe');
INSERT INTO processes VALUES(1,328,'explorer.exe','C:\windows\system32\explorer.exe');
INSERT INTO processes VALUES(1,696,'envcheck_versions.exe','Z:\tmp\recrun\envcheck_versions.exe');
CREATE TABLE services (report_id INTEGER NOT NULL REFERENCES reports(id), kind TEXT,
    display_name TEXT, name TEXT, state TEXT);
INSERT INTO services VALUES(1,'service','BITS Service','BITS','not running.');
INSERT INTO services VALUES(1,'service','Event Log','Eventlog','running.');
INSERT INTO services VALUES(1,'service','Windows Font Cache Service','FontCache','not running.');
INSERT INTO services VALUES(1,'service','Windows Presentation Foundation Font Cache 3.0.0.0','FontCache3.0.0.0','not running.');
INSERT INTO services VALUES(1,'service','Lanman Server','LanmanServer','not running.');
INSERT INTO services VALUES(1,'service','MSIServer','MSIServer','not running.');
INSERT INTO services VALUES(1,'service','Plug and Play Service','PlugPlay','running.');
INSERT INTO services VALUES(1,'service','Remote Procedure Call (RPC)','RpcSs','running.');
INSERT INTO services VALUES(1,'service','Task Scheduler','Schedule','not running.');
INSERT INTO services VALUES(1,'service','Print Spooler','Spooler','not running.');
INSERT INTO services VALUES(1,'service','WIA Service','StiSvc','not running.');
INSERT INTO services VALUES(1,'service','Terminal Services','TermService','not running.');
INSERT INTO services VALUES(1,'service','Windows Management Instrumentation Service','Winmgmt','not running.');
INSERT INTO services VALUES(1,'service','Automatic Updates','wuauserv','not running.');
INSERT INTO services VALUES(1,'service','Winedevice1','Winedevice1','running.');
INSERT INTO services VALUES(1,'service','Winedevice2','Winedevice2','running.');
INSERT INTO services VALUES(1,'driver','HTTP','HTTP','not running.');
INSERT INTO services VALUES(1,'driver','Mount Manager','MountMgr','running.');
INSERT INTO services VALUES(1,'driver','NDIS','NDIS','running.');
INSERT INTO services VALUES(1,'driver','NSI Proxy','nsiproxy','running.');
INSERT INTO services VALUES(1,'driver','Wine HID bus','winebus','running.');
INSERT INTO services VALUES(1,'driver','Wine HID','winehid','running.');
INSERT INTO services VALUES(1,'driver','Wine USB bus','wineusb','running.');
CREATE TABLE adapters (report_id INTEGER NOT NULL REFERENCES reports(id), source TEXT,
    position INTEGER, description TEXT, vendor_id TEXT, device_id TEXT, driver_version TEXT, driver_date TEXT,
    memory TEXT, software INTEGER, high_performance INTEGER, minimum_power INTEGER, feature_level TEXT,
    feature_level_number INTEGER, direct3d12 INTEGER, shader_model TEXT);
INSERT INTO adapters VALUES(1,'d3d9',0,'NVIDIA GeForce RTX 4070','0x10DE','0x2786','32.0.15.6603',NULL,NULL,0,NULL,NULL,NULL,NULL,NULL,NULL);
INSERT INTO adapters VALUES(1,'dxdiag',0,'NVIDIA GeForce RTX 4070','0x10DE','0x2786','32.00.0015.6603','2026-10-15',NULL,0,NULL,NULL,NULL,NULL,NULL,NULL);
INSERT INTO adapters VALUES(1,'dxgi',0,'NVIDIA GeForce RTX 4070','0x10DE','0x2786','32.0.15.6603',NULL,'12011 MB',0,1,1,'12_2',1202,1,'6.8');
INSERT INTO adapters VALUES(1,'dxgi',1,'Microsoft Basic Render Driver','0x1414','0x008C',NULL,NULL,'0 MB',1,0,0,'12_1',1201,1,'6.2');
CREATE TABLE displays (report_id INTEGER NOT NULL REFERENCES reports(id), source TEXT,
    adapter INTEGER, device TEXT, width INTEGER, height INTEGER, refresh INTEGER, text TEXT, panel_refresh INTEGER,
    hdr TEXT, connection TEXT, monitor TEXT);
INSERT INTO displays VALUES(1,'dxdiag',0,'\\.\DISPLAY1',2560,1440,144,'2560 x 1440 (32 bit) (144Hz)',NULL,NULL,NULL,NULL);
INSERT INTO displays VALUES(1,'dxgi',0,'\\.\DISPLAY1',2560,1440,144,'\\.\DISPLAY1 2560 x 1440 144 Hz, scale 100%, primary, HDR off, DisplayPort, "DELL S2721DGF"',NULL,'off','DisplayPort','DELL S2721DGF');
CREATE TABLE display_devices (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    name TEXT, driver_version TEXT, driver_date TEXT, state TEXT, problem_code INTEGER, meaning TEXT,
    basic_driver INTEGER);
INSERT INTO display_devices VALUES(1,0,'NVIDIA GeForce RTX 4070','32.0.15.6603','2026-10-15','working',NULL,NULL,0);
CREATE TABLE security_products (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    name TEXT, state TEXT, definitions TEXT);
INSERT INTO security_products VALUES(1,0,'Windows Defender Antivirus','on','up to date');
CREATE TABLE crashes (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER, time TEXT,
    program TEXT, program_version TEXT, module TEXT, module_version TEXT, exception TEXT, offset TEXT);
INSERT INTO crashes VALUES(1,0,'2026-12-01 21:03:11','game.exe','1.2.3.4','nvwgf2um.dll','32.0.15.6603','0xc0000005','0x0012ab34');
CREATE TABLE drives (report_id INTEGER NOT NULL REFERENCES reports(id), root TEXT,
    volume_name TEXT, file_system TEXT, type TEXT, total_bytes INTEGER, free_bytes INTEGER);
INSERT INTO drives VALUES(1,'C:\',NULL,'NTFS','固定ディスク',270553174016,72607916032);
INSERT INTO drives VALUES(1,'Z:\',NULL,'NTFS','固定ディスク',270553174016,72607916032);
CREATE TABLE findings (report_id INTEGER NOT NULL REFERENCES reports(id), rule TEXT, text TEXT);
INSERT INTO findings VALUES(1,'crashed-recently','programs crashed in the last 30 days: 2026-12-01 21:03:11 game.exe 1.2.3.4, module nvwgf2um.dll 32.0.15.6603, exception 0xc0000005, offset 0x0012ab34');
INSERT INTO findings VALUES(1,'crash-in-graphics-driver','a program crashed in the graphics driver: 2026-12-01 21:03:11 game.exe 1.2.3.4, module nvwgf2um.dll 32.0.15.6603, exception 0xc0000005, offset 0x0012ab34');
CREATE TABLE sound_devices (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    description TEXT, driver_version TEXT, driver_date TEXT, is_default INTEGER);
CREATE TABLE network_adapters (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    name TEXT, description TEXT, address TEXT, ip TEXT, mask TEXT, gateway TEXT, dhcp INTEGER);
INSERT INTO network_adapters VALUES(1,0,'ifb0 - {00000002-0000-0000-0000-4E6574446576}','ifb0','2E-8A-D9-8B-B4-9D-','0.0.0.0','0.0.0.0','0.0.0.0',1);
INSERT INTO network_adapters VALUES(1,1,'ifb1 - {00000003-0000-0000-0000-4E6574446576}','ifb1','D2-13-A8-6B-CF-BD-','0.0.0.0','0.0.0.0','0.0.0.0',1);
INSERT INTO network_adapters VALUES(1,2,'eth0 - {00000004-0000-0000-0000-4E6574446576}','eth0','02-FC-00-00-00-01-','192.0.2.2','255.255.255.0','192.0.2.1',1);
CREATE TABLE problems (report_id INTEGER NOT NULL REFERENCES reports(id), line INTEGER,
    message TEXT NOT NULL);
CREATE TABLE notes (report_id INTEGER NOT NULL REFERENCES reports(id), note TEXT NOT NULL);
CREATE INDEX sound_devices_report ON sound_devices(report_id);
CREATE INDEX network_adapters_report ON network_adapters(report_id);
CREATE INDEX problems_report ON problems(report_id);
CREATE INDEX notes_report ON notes(report_id);
CREATE INDEX display_devices_report ON display_devices(report_id);
CREATE INDEX security_products_report ON security_products(report_id);
CREATE INDEX crashes_report ON crashes(report_id);
CREATE INDEX crashes_module ON crashes(module);
CREATE INDEX processes_name ON processes(name);
CREATE INDEX processes_report ON processes(report_id);
CREATE INDEX services_name ON services(name, state);
CREATE INDEX services_report ON services(report_id);
CREATE INDEX adapters_description ON adapters(description, driver_version);
CREATE INDEX adapters_report ON adapters(report_id);
CREATE INDEX displays_report ON displays(report_id);
CREATE INDEX drives_report ON drives(report_id);
CREATE INDEX findings_rule ON findings(rule);
CREATE INDEX findings_report ON findings(report_id);
CREATE INDEX reports_os ON reports(os_product, os_build);
COMMIT;
PRAGMA user_version = 4;
PRAGMA application_id = 1164867154;
