// Choosing what plays: the views' tabs, the library's search and the
// playlists, each a list of tracks to tap. The player answers a page in about
// half a second, so every list says what it waits for, and only the newest
// request of a list may fill it.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const { t, post, toast, clock, errorText, failureKey, showPairing } = window.kx;
  const PAGE = 50;

  window.kx.addFallback({
    PageSearching: 'Searching...',
    PageSearchNone: 'Nothing found.',
    PageFoundOne: '1 track found',
    PageFoundMany: '%1% tracks found',
    PageTracksOne: '1 track',
    PageTracksMany: '%1% tracks',
    PageMore: 'Show %1% more',
    PageLoading: 'Loading...',
    PageRetry: 'Try again',
    PageNoPlaylists: 'No playlists.',
    PagePlaylistEmpty: 'This playlist is empty.',
    PageNotFound: 'It is no longer in the library.',
    PageLoadFailed: 'Could not load this (%1%).',
    PagePlaying: 'Playing: %1%',
    PageKindSmart: 'Smart',
    PageKindFolder: 'Folder',
    PageKindCd: 'CD',
    PageKindDevice: 'Device',
    PageKindRadio: 'Radio',
    PageBackToPlaylists: 'Back to the playlists',
  });

  // Tabs -------------------------------------------------------------------

  const tabs = [...document.querySelectorAll('[role="tab"]')];
  const shown = new Set();

  // how: 'click', 'key' (the focus moves along the tabs) or 'restore'.
  function selectTab(tab, how) {
    for (const other of tabs) {
      const on = other === tab;
      other.setAttribute('aria-selected', String(on));
      other.tabIndex = on ? 0 : -1;
      $(other.getAttribute('aria-controls')).hidden = !on;
    }
    if (how === 'key') tab.focus();
    sessionStorage.setItem('kx-view', tab.id);
    window.scrollTo(0, 0);
    // A first tap on Search is for typing.
    if (tab.id === 'tab-search' && how === 'click' && !shown.has(tab.id)) $('search-q').focus();
    // Each visit asks again (playlists change on the PC); the old list stays meanwhile.
    if (tab.id === 'tab-lists') loadPlaylists();
    shown.add(tab.id);
  }

  // Arrows, Home and End move along the tabs, as in any tab list.
  for (const tab of tabs) {
    tab.addEventListener('click', () => selectTab(tab, 'click'));
    tab.addEventListener('keydown', (e) => {
      const i = tabs.indexOf(tab);
      const to = { ArrowRight: i + 1, ArrowLeft: i - 1, Home: 0, End: tabs.length - 1 }[e.key];
      if (to == null) return;
      e.preventDefault();
      selectTab(tabs[(to + tabs.length) % tabs.length], 'key');
    });
  }

  // Requests ---------------------------------------------------------------

  // A GET the caller may abort, and that gives up after 15 s in any case:
  // { status, body } or { status: 0 } when Kolibrix could not be reached.
  async function getJson(url, signal) {
    const abort = new AbortController();
    const timer = setTimeout(() => abort.abort(), 15000);
    const forward = () => abort.abort();
    if (signal) signal.addEventListener('abort', forward);
    try {
      const response = await fetch(url, { credentials: 'same-origin', signal: abort.signal });
      const body = response.ok ? await response.json() : { error: await errorText(response) };
      return { status: response.status, body };
    } catch (e) {
      return { status: 0, body: {} };
    } finally {
      clearTimeout(timer);
      if (signal) signal.removeEventListener('abort', forward);
    }
  }

  // A list's state line: a message, and a retry button where trying again can help.
  function setState(el, message, retry) {
    el.replaceChildren();
    if (!message) return;
    const text = document.createElement('p');
    text.textContent = message;
    el.append(text);
    if (!retry) return;
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = t('PageRetry');
    button.addEventListener('click', retry);
    el.append(button);
  }

  // What a failed list request tells the user, with a retry where it may help.
  function failure(el, answer, retry) {
    if (answer.status === 401) return showPairing(t('PageUnpaired'));
    const key = answer.status === 0 ? 'PageOffline' : answer.status === 404 ? 'PageNotFound' : failureKey(answer.status);
    // Without the player a retry cannot help: the list asks again once it is back.
    setState(el, key ? t(key) : t('PageLoadFailed', answer.body.error || answer.status), answer.status !== 503 && retry);
  }

  async function play(body, name) {
    let response;
    try {
      response = await post('/api/play', body);
    } catch (e) {
      return toast(t('PageOffline'));
    }
    if (response.ok) return toast(t('PagePlaying', name), 2000);
    if (response.status === 401) return showPairing(t('PageUnpaired'));
    const key = response.status === 404 ? 'PageNotFound' : failureKey(response.status);
    toast(key ? t(key) : t('PageActionFailed', await errorText(response)));
  }

  // One row a track: the whole row is the button that plays it.
  function trackRow(item, onPlay) {
    const li = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'track';
    const name = document.createElement('span');
    name.className = 'name';
    name.textContent = item.name;
    const from = document.createElement('span');
    from.className = 'from';
    from.textContent = [item.artist, item.album].filter(Boolean).join(' \u2013 ');
    const time = document.createElement('span');
    time.className = 'duration';
    time.textContent = clock(item.duration || 0);
    button.append(name, from, time);
    button.addEventListener('click', () => onPlay(item));
    li.append(button);
    return li;
  }

  // A paged list of tracks: the first page replaces it, "more" adds the next.
  // Each new start drops what an older one still waits for.
  class TrackList {
    constructor(list, more, state, url, onPlay) {
      Object.assign(this, { list, more, state, url, onPlay, total: 0, abort: null });
      more.addEventListener('click', () => this.load(this.list.childElementCount));
    }

    reset() {
      if (this.abort) this.abort.abort();
      this.abort = null;
      this.list.replaceChildren();
      this.more.hidden = true;
      setState(this.state, '');
    }

    // Resolves to the page's answer, or null when a newer request took over.
    async load(offset) {
      if (this.abort) this.abort.abort();
      const abort = new AbortController();
      this.abort = abort;
      this.more.disabled = true;
      setState(this.state, t(offset ? 'PageLoading' : this.waiting()));
      const answer = await getJson(`${this.url()}offset=${offset}&limit=${PAGE}`, abort.signal);
      if (abort.signal.aborted || this.abort !== abort) return null;
      this.abort = null;
      this.more.disabled = false;
      if (answer.status !== 200) {
        if (!offset) this.list.replaceChildren();
        this.more.hidden = true;
        failure(this.state, answer, () => this.load(offset));
        return null;
      }
      const items = Array.isArray(answer.body.items) ? answer.body.items : [];
      if (!offset) this.list.replaceChildren();
      const first = this.list.childElementCount;
      this.list.append(...items.map((item) => trackRow(item, this.onPlay)));
      this.total = Number(answer.body.total) || 0;
      const left = this.total - this.list.childElementCount;
      this.more.hidden = left <= 0 || !items.length;
      this.more.textContent = t('PageMore', Math.min(left, PAGE));
      setState(this.state, this.summary(this.total));
      // After "more", the first new row, so a keyboard goes on where it was.
      if (offset && items.length) this.list.children[first].querySelector('button').focus();
      return answer;
    }
  }

  // Search -----------------------------------------------------------------

  const search = new TrackList(
    $('search-results'),
    $('search-more'),
    $('search-state'),
    () => `/api/search?q=${encodeURIComponent(query())}&field=${$('search-field').value}&`,
    (item) => play({ track: item.id }, item.name),
  );
  search.waiting = () => 'PageSearching';
  search.summary = (total) => (total ? t(total === 1 ? 'PageFoundOne' : 'PageFoundMany', total) : t('PageSearchNone'));

  function query() {
    return $('search-q').value.trim();
  }

  let searchTimer = 0;
  function searchNow() {
    clearTimeout(searchTimer);
    if (!query()) return search.reset();
    search.load(0);
  }
  // Typing: one request once the keys rest for a quarter of a second.
  $('search-q').addEventListener('input', () => {
    clearTimeout(searchTimer);
    if (!query()) return search.reset();
    searchTimer = setTimeout(searchNow, 250);
  });
  $('search-field').addEventListener('change', searchNow);
  $('search-form').addEventListener('submit', (e) => {
    e.preventDefault();
    searchNow();
    // The phone's keyboard goes away, the results stay.
    $('search-q').blur();
  });

  // Playlists --------------------------------------------------------------

  let playlistsLoaded = false;
  let playlistsAbort = null;
  let opened = null;

  // Told apart where it matters; the library comes first anyway.
  const kinds = {
    smart: 'PageKindSmart',
    folder: 'PageKindFolder',
    cd: 'PageKindCd',
    device: 'PageKindDevice',
    radio: 'PageKindRadio',
  };

  function countText(count) {
    return count === 1 ? t('PageTracksOne') : t('PageTracksMany', count);
  }

  async function loadPlaylists() {
    if (playlistsAbort) playlistsAbort.abort();
    const abort = new AbortController();
    playlistsAbort = abort;
    if (!playlistsLoaded) setState($('lists-state'), t('PageLoading'));
    const answer = await getJson('/api/playlists', abort.signal);
    if (abort.signal.aborted) return;
    playlistsAbort = null;
    if (answer.status !== 200) {
      if (!playlistsLoaded) failure($('lists-state'), answer, loadPlaylists);
      return;
    }
    const items = Array.isArray(answer.body.items) ? answer.body.items : [];
    $('lists').replaceChildren(...items.map(playlistRow));
    playlistsLoaded = true;
    setState($('lists-state'), items.length ? '' : t('PageNoPlaylists'));
  }

  function playlistRow(item) {
    const li = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'playlist';
    button.dataset.id = item.id;
    const name = document.createElement('span');
    name.className = 'name';
    name.textContent = item.name;
    const count = document.createElement('span');
    count.className = 'count';
    count.textContent = countText(Number(item.count) || 0);
    button.append(name);
    if (kinds[item.kind]) {
      const kind = document.createElement('span');
      kind.className = 'kind';
      kind.textContent = t(kinds[item.kind]);
      button.append(kind);
    }
    button.append(count);
    button.addEventListener('click', () => openPlaylist(item));
    li.append(button);
    return li;
  }

  const tracks = new TrackList(
    $('list-tracks'),
    $('list-more'),
    $('list-state'),
    () => `/api/playlists/${encodeURIComponent(opened.id)}/tracks?`,
    (item) => play({ playlist: opened.id, track: item.id }, item.name),
  );
  tracks.waiting = () => 'PageLoading';
  tracks.summary = (total) => (total ? '' : t('PagePlaylistEmpty'));

  async function openPlaylist(item) {
    opened = item;
    $('lists-index').hidden = true;
    $('list-open').hidden = false;
    $('list-name').textContent = item.name;
    $('list-count').textContent = countText(Number(item.count) || 0);
    $('list-play').disabled = !item.count;
    window.scrollTo(0, 0);
    $('list-name').focus();
    tracks.reset();
    const answer = await tracks.load(0);
    // The count of the list may be older than the tracks.
    if (answer) {
      $('list-count').textContent = countText(tracks.total);
      $('list-play').disabled = !tracks.total;
    }
  }

  function closePlaylist() {
    tracks.reset();
    const id = opened ? opened.id : null;
    opened = null;
    $('list-open').hidden = true;
    $('lists-index').hidden = false;
    const row = [...$('lists').querySelectorAll('button')].find((b) => b.dataset.id === id);
    if (row) row.focus();
  }

  $('list-back').addEventListener('click', closePlaylist);
  $('list-play').addEventListener('click', () => opened && play({ playlist: opened.id }, opened.name));
  $('view-lists').addEventListener('keydown', (e) => {
    if (e.key === 'Escape' && opened) closePlaylist();
  });

  // The first state says the remote is open (and paired): a reload comes back
  // to the view it showed. The player came back: what failed for want of it
  // is asked again.
  let wasRunning = true;
  let restored = false;
  document.addEventListener('kx-state', (e) => {
    if (!restored) {
      restored = true;
      const view = $(sessionStorage.getItem('kx-view') || '');
      if (view && tabs.includes(view) && view.id !== 'tab-now') selectTab(view, 'restore');
    }
    const running = e.detail.running;
    if (running && !wasRunning) {
      if (!$('view-lists').hidden && !playlistsLoaded) loadPlaylists();
      if (!$('view-search').hidden && query() && !search.list.childElementCount) searchNow();
    }
    wasRunning = running;
  });
})();
