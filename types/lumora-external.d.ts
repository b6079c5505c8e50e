// Type declarations of window.external in a packed Lumora program, for
// editors and the TypeScript checker. Yes/no answers come back as the
// numbers 1 and 0; the functions that only act give undefined, and so does
// a call with an argument count a function does not take. See docs/javascript-api.md.

type LumoraFlag = 0 | 1;

interface LumoraExternal {
  webFind(): undefined;
  webPreview(): undefined;
  appPlayWav(wavPath: string, loop?: number | boolean): undefined;
  appStopWav(): undefined;
  appOpenFile(filePath: string): undefined;
  appParamStr(index: number): string | undefined;
  appParamCount(): string;
  appIsRuntime(): LumoraFlag;
  appOpenFileWith(execPath: string, filePath: string): undefined;
  // The last argument is the target.
  appShellExec(...args: string[]): undefined;
  appReadFile(filePath: string): string;
  appWriteFile(filePath: string, contents: string): undefined;
  appMinimize(): undefined;
  appRestore(): undefined;
  appFileExists(filePath: string): LumoraFlag | undefined;
  appWriteReg(key: string, valueName: string, value: string): LumoraFlag | undefined;
  appReadReg(key: string, valueName: string): string | undefined;
  appRemoveReg(key: string, valueName: string): LumoraFlag | undefined;
  appComputerName(): string;
  appUserName(): string;
  appCreateDir(dirPath: string): LumoraFlag | undefined;
  appDirExists(dirPath: string): LumoraFlag | undefined;
  appDocsDir(): string;
  appRemoveFile(filePath: string): LumoraFlag | undefined;
  SayHello(name?: string): string;
}

interface Window {
  // Present only in pages of the packed site (lmp: URLs).
  readonly external: LumoraExternal;
}

// The page function the program asks before the main window closes: true
// lets it close; anything else keeps it open.
declare function appCanClose(reason: number): unknown;
